// An in-process stand-in for the Task Scheduler's COM objects (service,
// folder, task collection, task), for tests of the code that reads and
// switches tasks: Wine's scheduler never lists registered tasks and ignores
// put_Enabled. The state lives in TFakeScheduler, which must outlive every
// object handed out; it counts the objects still alive so that tests see a
// missing Release. Test thread only.
#pragma once

#include <windows.h>
#include <taskschd.h>

#include <string>
#include <vector>

struct TFakeTask {
    std::wstring Name;
    bool Enabled = true;
    bool Hidden = false;
    // Accepts put_Enabled and keeps the old state, as Wine does.
    bool IgnoresPutEnabled = false;
};

struct TFakeScheduler {
    std::vector<TFakeTask> RootTasks;
    std::vector<TFakeTask> SubfolderTasks;  // in "\Sub"
    // get_Item fails for this 1-based index of a task collection; 0: never.
    LONG FailItemAt = 0;
    // COM objects handed out and not yet released.
    int LiveObjects = 0;

    // A new service object with one reference, owned by the caller.
    ITaskService* NewService();
};
