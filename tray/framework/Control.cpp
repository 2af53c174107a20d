#include "Control.h"

#include "AppState.h"
#include "PtrList.h"

namespace {

struct ChainEntry {
    MessageHandler handler;
    bool runWhileTerminating;
};

HINSTANCE ModuleInstance()
{
    return GetModuleHandleW(nullptr);
}

}  // namespace

COLORREF ResolveColor(DWORD color)
{
    if (color & 0x80000000u)
        return GetSysColor(static_cast<int>(color & 0x7F));
    return color;
}

TControl::TControl(const wchar_t* kindName, UINT classStyle, DWORD style, DWORD exStyle)
    : kindName_(kindName), classStyle_(classStyle), style_(style), exStyle_(exStyle)
{
}

void TControl::InitWithParent(TControl* parent)
{
    parent_ = parent;
    if (!parent)
        return;
    backColor_ = parent->backColor_;
    if (!parent->children_)
        parent->children_ = MakeList();
    parent->children_->Add(this);
}

int TControl::ChildCount() const
{
    return children_ ? children_->Count() : 0;
}

TControl* TControl::Child(int index) const
{
    return children_ ? static_cast<TControl*>(children_->Item(index)) : nullptr;
}

HWND TControl::GetHandle()
{
    if (!handle_)
        CreateHandle();
    return handle_;
}

TControl* TControl::FromHandle(HWND window)
{
    if (!window || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) != &SharedWindowProc)
        return nullptr;
    return reinterpret_cast<TControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// --- properties ------------------------------------------------------------

void TControl::ApplyBounds()
{
    if (handle_)
        SetWindowPos(handle_, nullptr, bounds_.left, bounds_.top, bounds_.right - bounds_.left,
                     bounds_.bottom - bounds_.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A dimension of 0 or less leaves that dimension as it is.
void TControl::SetSize(int width, int height)
{
    if (width > 0)
        bounds_.right = bounds_.left + width;
    if (height > 0)
        bounds_.bottom = bounds_.top + height;
    ApplyBounds();
}

void TControl::SetTop(int top)
{
    int height = bounds_.bottom - bounds_.top;
    bounds_.top = top;
    bounds_.bottom = top + height;
    positionSet_ = true;
    ApplyBounds();
}

void TControl::SetLeft(int left)
{
    int width = bounds_.right - bounds_.left;
    bounds_.left = left;
    bounds_.right = left + width;
    positionSet_ = true;
    ApplyBounds();
}

void TControl::SetBounds(const RECT& bounds)
{
    bounds_ = bounds;
    positionSet_ = true;
    ApplyBounds();
}

void TControl::SetVisible(bool visible)
{
    if (visible)
        style_ |= WS_VISIBLE;
    else
        style_ &= ~static_cast<DWORD>(WS_VISIBLE);
    if (handle_)
        ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

void TControl::SetCaption(const std::wstring& caption)
{
    caption_ = caption;
    if (handle_)
        SendMessageW(handle_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption_.c_str()));
}

std::wstring TControl::Caption() const
{
    if (!handle_)
        return caption_;
    int length = GetWindowTextLengthW(handle_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    length = GetWindowTextW(handle_, text.data(), length + 1);
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

// An explicitly named class gets no "obj_" prefix.
void TControl::SetWindowClassName(const std::wstring& name)
{
    className_ = name;
    classNameExplicit_ = true;
}

std::wstring TControl::WindowClassName() const
{
    return classNameExplicit_ ? className_ : L"obj_" + kindName_;
}

void TControl::SetIcon(HICON icon, bool owned)
{
    if (iconOwned_ && icon_ && icon_ != icon)
        DestroyIcon(icon_);
    icon_ = icon;
    iconOwned_ = owned;
    if (handle_ && !isChild_)
        SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
}

void TControl::SetMenuBar(HMENU menu)
{
    menuBar_ = menu;
    if (handle_ && !isChild_)
        SetMenu(handle_, menu);
}

// --- handler chain ---------------------------------------------------------

void TControl::AttachHandler(MessageHandler handler, bool runWhileTerminating)
{
    if (!chain_)
        chain_ = MakeList();
    chain_->Add(new ChainEntry{handler, runWhileTerminating});
}

void TControl::DetachHandler(MessageHandler handler)
{
    if (!chain_)
        return;
    for (int i = chain_->Count() - 1; i >= 0; --i) {
        auto* entry = static_cast<ChainEntry*>(chain_->Item(i));
        if (entry->handler == handler) {
            chain_->DeleteRange(i, 1);
            delete entry;
            return;
        }
    }
}

bool TControl::HasHandler(MessageHandler handler) const
{
    if (!chain_)
        return false;
    for (int i = 0; i < chain_->Count(); ++i)
        if (static_cast<ChainEntry*>(chain_->Item(i))->handler == handler)
            return true;
    return false;
}

// Newest handler first. A handler may attach or detach handlers while the
// chain runs, so each entry is read afresh and copied before its call.
bool TControl::RunChain(MSG& message, LRESULT& result)
{
    if (!chain_)
        return false;
    bool terminated = AppState().terminated;
    for (int i = chain_->Count() - 1; i >= 0; --i) {
        if (i >= chain_->Count())
            continue;
        ChainEntry entry = *static_cast<ChainEntry*>(chain_->Item(i));
        if (terminated && !entry.runWhileTerminating)
            continue;
        if (entry.handler(this, message, result))
            return true;
    }
    return false;
}

// --- window creation -------------------------------------------------------

void TControl::CreateHandle()
{
    if (handle_ || dying_ || IsDestroying())
        return;
    HWND parentWindow = nullptr;
    if (parent_) {
        parentWindow = parent_->GetHandle();
        if (handle_)  // made together with the parent's window
            return;
    }

    HINSTANCE instance = ModuleInstance();
    std::wstring className = WindowClassName();
    WNDCLASSW existing{};
    if (!GetClassInfoW(instance, className.c_str(), &existing)) {
        WNDCLASSW wc{};
        wc.style = classStyle_;
        wc.lpfnWndProc = &SharedWindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = className.c_str();
        if (!RegisterClassW(&wc))
            return;
    }

    int width = bounds_.right - bounds_.left;
    int height = bounds_.bottom - bounds_.top;
    if (width == 0)
        width = CW_USEDEFAULT;
    if (height == 0)
        height = CW_USEDEFAULT;
    int x = bounds_.left;
    int y = bounds_.top;
    if (!isChild_ && !positionSet_)
        x = y = CW_USEDEFAULT;

    TAppState& state = AppState();
    TControl* outer = state.creating;
    state.creating = this;
    HWND window = CreateWindowExW(exStyle_, className.c_str(), caption_.c_str(), style_, x, y, width, height,
                                  parentWindow, isChild_ ? nullptr : menuBar_, instance, nullptr);
    state.creating = outer;
    if (!window) {
        handle_ = nullptr;
        return;
    }
    handle_ = window;

    SendMessageW(window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    // A top-level window shows its own icon, else a copy of the application
    // window's (which is the program's main icon).
    if (!isChild_) {
        TControl* app = state.appWindow;
        if (!icon_ && app && app != this && app->icon_) {
            icon_ = static_cast<HICON>(CopyImage(app->icon_, IMAGE_ICON, 0, 0, 0));
            iconOwned_ = icon_ != nullptr;
        }
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    }

    if (AfterCreate)
        AfterCreate(this);
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->CreateHandle();
}

// --- message handling ------------------------------------------------------

LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* object = reinterpret_cast<TControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    TAppState& state = AppState();
    if (!object && state.creating && !state.creating->handle_) {
        // The first message of a window under construction binds it to its object.
        object = state.creating;
        object->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (object)
        return object->WndProc(msg);
    if (state.appWindow)
        return state.appWindow->WndProc(msg);
    return DefWindowProcW(window, message, wParam, lParam);
}

// The object is held while it handles a message, so that a handler may close
// its own window: the object then dies once the message is done.
LRESULT TControl::WndProc(MSG& message)
{
    TAppState& state = AppState();
    LRESULT result = 0;
    Hold();
    bool handled = false;
    if (state.loopRunning && state.appWindow && state.appWindow != this && state.appWindow->OnMessage)
        handled = state.appWindow->OnMessage(state.appWindow, message, result);
    if (!handled && OnMessage)
        handled = OnMessage(this, message, result);
    if (!handled)
        handled = RunChain(message, result);
    if (!handled)
        result = DefaultHandling(message);
    Release();
    return result;
}

LRESULT TControl::DefaultProcessing(const MSG& message)
{
    if (previousWndProc_)
        return CallWindowProcW(previousWndProc_, message.hwnd, message.message, message.wParam, message.lParam);
    return DefWindowProcW(message.hwnd, message.message, message.wParam, message.lParam);
}

bool TControl::IsMainWindowOfLoop() const
{
    TControl* app = AppState().appWindow;
    return app && (app == this || app->Child(0) == this);
}

LRESULT TControl::DefaultHandling(MSG& message)
{
    TAppState& state = AppState();
    const bool own = message.hwnd == handle_ && handle_;
    switch (message.message) {
    case WM_DESTROY:
        if (own) {
            dying_ = true;
            LRESULT result = DefaultProcessing(message);
            if (state.appWindow == this)
                state.appWindow = nullptr;
            Release();
            return result;
        }
        break;
    case WM_SETFOCUS:
        if (!IsWindowEnabled(message.hwnd))
            return 0;
        SetFocus(message.hwnd);
        break;
    case WM_CLOSE:
        // Closing the application window or its main form ends the loop; any
        // other form is only destroyed (by the default processing).
        if (own && IsMainWindowOfLoop()) {
            PostQuitMessage(0);
            state.terminated = true;
        }
        break;
    case WM_NOTIFYFORMAT:
        if (message.lParam == NF_QUERY)
            return NFR_UNICODE;
        break;
    case WM_NCDESTROY:
        if (own) {
            SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
            handle_ = nullptr;
        }
        break;
    case WM_COMMAND:
        if (message.lParam) {
            HWND child = reinterpret_cast<HWND>(message.lParam);
            if (FromHandle(child))
                return SendMessageW(child, ChildCommandMessage, message.wParam, message.lParam);
        }
        break;
    case WM_SYSCOMMAND:
        if ((message.wParam & 0xFFF0) == SC_MINIMIZE && own && state.appWindow && state.appWindow != this &&
            state.appWindow->Child(0) == this && state.appWindow->handle_) {
            PostMessageW(state.appWindow->handle_, WM_SYSCOMMAND, message.wParam, message.lParam);
            return 0;
        }
        break;
    default:
        if (message.message >= WM_CTLCOLORMSGBOX && message.message <= WM_CTLCOLORSTATIC) {
            HWND child = reinterpret_cast<HWND>(message.lParam);
            if (FromHandle(child))
                return SendMessageW(child, message.message + ChildColorMessageOffset, message.wParam,
                                    message.lParam);
        }
        break;
    }
    // Keyboard messages (WM_KEYFIRST..WM_KEYLAST) get the default processing:
    // the framework has no child control kinds to move the focus between.
    return DefaultProcessing(message);
}

// --- destruction -----------------------------------------------------------

void TControl::Destroy()
{
    TAppState& state = AppState();
    if (state.appWindow == this)
        state.appWindow = nullptr;
    if (state.creating == this)
        state.creating = nullptr;

    // Children whose windows still exist die with their windows; the others
    // are released here.
    if (children_) {
        TPtrList* children = children_;
        children_ = nullptr;
        while (children->Count() > 0) {
            auto* child = static_cast<TControl*>(children->Item(0));
            children->DeleteRange(0, 1);
            child->parent_ = nullptr;
            if (child->handle_ && !child->dying_)
                DestroyWindow(child->handle_);
            else if (!child->handle_ && !child->IsDestroying())
                child->Release();
        }
        children->Release();
    }
    if (parent_) {
        if (parent_->children_)
            parent_->children_->Remove(this);
        if (parent_->activeForm_ == this)
            parent_->activeForm_ = nullptr;
        parent_ = nullptr;
    }

    // The window no longer reaches this object; one that is not already being
    // destroyed is destroyed now.
    if (handle_) {
        HWND window = handle_;
        handle_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (!dying_)
            DestroyWindow(window);
    }
    if (iconOwned_ && icon_)
        DestroyIcon(icon_);
    icon_ = nullptr;
    if (chain_) {
        for (int i = 0; i < chain_->Count(); ++i)
            delete static_cast<ChainEntry*>(chain_->Item(i));
        chain_->Release();
        chain_ = nullptr;
    }

    TRefObject::Destroy();
}
