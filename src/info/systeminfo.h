#pragma once
// System Info: starts the system's System Information program, which the machine-wide store
// locates, or tells the user that it cannot.

#include "platform/services.h"

class QWidget;

namespace quenbry {

// The program is the first location's PATH when that can be read; else MSINFO32.EXE in the
// second location's folder when that file exists. Without one, or when it does not start,
// the message "System Information Is Unavailable At This Time". True when it started.
bool startSystemInfo(const SettingsStore &machineStore, Shell &shell, Dialogs &dialogs,
                     QWidget *messageOwner);

} // namespace quenbry
