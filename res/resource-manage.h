// Resource identifiers of the management dialogs: picture cache, plug-in settings, plug-in status.
#pragma once
