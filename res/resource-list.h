// Resource identifiers of the list-editing dialogs.
#pragma once
