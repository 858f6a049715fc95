// brantle.exe made ready for calls when another program has loaded it as a
// library to call its export.
#pragma once

// Called first in every call through the export, before any other code of
// the program runs. In a process that another program started, the first
// call binds the module's imports and does what the runtime's start-up
// would have done (library_readiness_win.cpp); later calls only find that
// done. In a process started from brantle.exe there is nothing to do.
// False when the module cannot be made ready: a library or a function that
// it imports is missing.
bool MakeReadyForCallers();
