// Resource identifiers of the settings dialog.
#pragma once
