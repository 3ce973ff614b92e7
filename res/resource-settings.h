// Resource identifiers of the settings dialogs.
#pragma once
