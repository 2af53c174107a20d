#include "FakeTaskScheduler.h"

#include "Text.h"

namespace {

// IUnknown and IDispatch for every fake: reference counting that deletes
// the object at zero, no type information.
template <class I>
class TFakeDispatch : public I {
public:
    explicit TFakeDispatch(TFakeScheduler& state) : FState(state) { ++FState.LiveObjects; }
    virtual ~TFakeDispatch() { --FState.LiveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, __uuidof(I))) {
            *out = static_cast<I*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --FRefs;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

protected:
    TFakeScheduler& FState;

private:
    ULONG FRefs = 1;
};

const HRESULT NotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

template <class T>
HRESULT Hand(T* object, T** out)
{
    if (!out) {
        object->Release();
        return E_POINTER;
    }
    *out = object;
    return S_OK;
}

class TFakeTaskObject : public TFakeDispatch<IRegisteredTask> {
public:
    TFakeTaskObject(TFakeScheduler& state, TFakeTask& task) : TFakeDispatch(state), FTask(task) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override
    {
        *name = SysAllocString(FTask.Name.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override
    {
        *path = SysAllocString((L"\\" + FTask.Name).c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_State(TASK_STATE* state) override
    {
        *state = FTask.Enabled ? TASK_STATE_READY : TASK_STATE_DISABLED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override
    {
        *enabled = FTask.Enabled ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) override
    {
        if (!FTask.IgnoresPutEnabled)
            FTask.Enabled = enabled != VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Run(VARIANT, IRunningTask**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RunEx(VARIANT, LONG, LONG, BSTR, IRunningTask**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInstances(LONG, IRunningTaskCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_LastRunTime(DATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_LastTaskResult(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NumberOfMissedRuns(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NextRunTime(DATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Definition(ITaskDefinition**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Xml(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, DWORD*, LPSYSTEMTIME*) override
    {
        return E_NOTIMPL;
    }

private:
    TFakeTask& FTask;
};

class TFakeCollection : public TFakeDispatch<IRegisteredTaskCollection> {
public:
    TFakeCollection(TFakeScheduler& state, std::vector<TFakeTask*> tasks)
        : TFakeDispatch(state), FTasks(std::move(tasks))
    {
    }

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override
    {
        *count = static_cast<LONG>(FTasks.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, IRegisteredTask** task) override
    {
        *task = nullptr;
        if (index.vt != VT_I4 || index.lVal < 1 || index.lVal > static_cast<LONG>(FTasks.size()))
            return E_INVALIDARG;
        if (index.lVal == FState.FailItemAt)
            return E_FAIL;
        return Hand<IRegisteredTask>(new TFakeTaskObject(FState, *FTasks[index.lVal - 1]), task);
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

private:
    std::vector<TFakeTask*> FTasks;
};

class TFakeFolder : public TFakeDispatch<ITaskFolder> {
public:
    TFakeFolder(TFakeScheduler& state, std::wstring path, std::vector<TFakeTask>& tasks)
        : TFakeDispatch(state), FPath(std::move(path)), FTasks(tasks)
    {
    }

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override
    {
        *name = SysAllocString(FPath.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override
    {
        *path = SysAllocString(FPath.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR, ITaskFolder**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFolders(LONG, ITaskFolderCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateFolder(BSTR, VARIANT, ITaskFolder**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteFolder(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTask(BSTR path, IRegisteredTask** task) override
    {
        *task = nullptr;
        std::wstring_view wanted = path ? path : L"";
        if (wanted.starts_with(L'\\'))
            wanted.remove_prefix(1);
        for (TFakeTask& candidate : FTasks)
            if (AsciiEqualsIgnoreCase(candidate.Name, wanted))
                return Hand<IRegisteredTask>(new TFakeTaskObject(FState, candidate), task);
        return NotFound;
    }
    HRESULT STDMETHODCALLTYPE GetTasks(LONG flags, IRegisteredTaskCollection** tasks) override
    {
        std::vector<TFakeTask*> listed;
        for (TFakeTask& task : FTasks)
            if (!task.Hidden || (flags & TASK_ENUM_HIDDEN))
                listed.push_back(&task);
        return Hand<IRegisteredTaskCollection>(new TFakeCollection(FState, std::move(listed)), tasks);
    }
    HRESULT STDMETHODCALLTYPE DeleteTask(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterTask(BSTR, BSTR, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE, VARIANT,
                                           IRegisteredTask**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR, ITaskDefinition*, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE,
                                                     VARIANT, IRegisteredTask**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }

private:
    std::wstring FPath;
    std::vector<TFakeTask>& FTasks;
};

class TFakeService : public TFakeDispatch<ITaskService> {
public:
    using TFakeDispatch::TFakeDispatch;

    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder** folder) override
    {
        *folder = nullptr;
        std::wstring_view wanted = path ? path : L"";
        if (wanted == L"\\")
            return Hand<ITaskFolder>(new TFakeFolder(FState, L"\\", FState.RootTasks), folder);
        if (AsciiEqualsIgnoreCase(wanted, L"\\Sub"))
            return Hand<ITaskFolder>(new TFakeFolder(FState, L"\\Sub", FState.SubfolderTasks), folder);
        return NotFound;
    }
    HRESULT STDMETHODCALLTYPE GetRunningTasks(LONG, IRunningTaskCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NewTask(DWORD, ITaskDefinition**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Connect(VARIANT, VARIANT, VARIANT, VARIANT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Connected(VARIANT_BOOL* connected) override
    {
        *connected = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_TargetServer(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedUser(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedDomain(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_HighestVersion(DWORD* version) override
    {
        *version = 0x00010002;
        return S_OK;
    }
};

}  // namespace

ITaskService* TFakeScheduler::NewService()
{
    return new TFakeService(*this);
}
