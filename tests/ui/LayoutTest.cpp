#include "CardPanel.h"
#include "EventGuard.h"
#include "Panel.h"
#include "StyledButton.h"
#include "TestForm.h"
#include "ThreadHandover.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

RECT RectIn(const TControl& control, const TControl& parent)
{
    RECT r;
    GetWindowRect(control.Handle(), &r);
    MapWindowPoints(nullptr, parent.Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ExpectRect(const RECT& r, int left, int top, int right, int bottom)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(Layout, FormClientAreaIsTheDesignedSizeAtItsDpi)
{
    TTestForm form;
    form.SetClientSize(464, 417);
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, ScaleForDpi(464, form.Dpi()));
    EXPECT_EQ(client.bottom, ScaleForDpi(417, form.Dpi()));
}

TEST(Layout, ScalingRoundsToTheNearestPixel)
{
    EXPECT_EQ(ScaleForDpi(464, 96), 464);
    EXPECT_EQ(ScaleForDpi(417, 144), 626);  // 625.5
    EXPECT_EQ(ScaleForDpi(417, 120), 521);  // 521.25
    EXPECT_EQ(ScaleForDpi(4, 168), 7);
}

// Strips are taken in the order top, bottom, left, right; the client
// control gets the rest; margins and padding shrink what a control gets.
TEST(Layout, AlignedControlsShareTheirParent)
{
    TTestForm form;
    form.SetClientSize(300, 200);
    auto* top = new TPanel(&form, &form, L"Top");
    top->SetBounds(0, 0, 300, 50);
    top->SetAlign(TAlign::Top);
    auto* right = new TPanel(&form, top, L"Right");
    right->SetBounds(0, 0, 120, 50);
    right->SetAlign(TAlign::Right);
    auto* fill = new TPanel(&form, top, L"Fill");
    fill->SetAlign(TAlign::Client);
    fill->SetMargins({10, 10, 10, 10});
    auto* rest = new TPanel(&form, &form, L"Rest");
    rest->SetAlign(TAlign::Client);
    rest->SetPadding({8, 0, 8, 0});
    auto* inner = new TPanel(&form, rest, L"Inner");
    inner->SetAlign(TAlign::Client);
    auto* placed = new TPanel(&form, inner, L"Placed");
    placed->SetBounds(142, 64, 16, 8);

    const UINT dpi = form.Dpi();
    auto s = [dpi](int v) { return ScaleForDpi(v, dpi); };
    ExpectRect(RectIn(*top, form), 0, 0, s(300), s(50));
    ExpectRect(RectIn(*right, *top), s(300) - s(120), 0, s(300), s(50));
    ExpectRect(RectIn(*fill, *top), s(10), s(10), s(300) - s(120) - s(10), s(50) - s(10));
    ExpectRect(RectIn(*rest, form), 0, s(50), s(300), s(200));
    ExpectRect(RectIn(*inner, *rest), s(8), 0, s(300) - s(8), s(200) - s(50));
    ExpectRect(RectIn(*placed, *inner), s(142), s(64), s(142) + s(16), s(64) + s(8));

    // A hidden strip gives its space back.
    top->SetVisible(false);
    ExpectRect(RectIn(*rest, form), 0, 0, s(300), s(200));
}

TEST(Layout, CardPanelShowsOneCardAtATime)
{
    TTestForm form;
    auto* cards = new TCardPanel(&form, &form, L"Cards");
    cards->SetAlign(TAlign::Client);
    TPanel* c0 = cards->AddCard(&form, L"C0");
    TPanel* c1 = cards->AddCard(&form, L"C1");
    TPanel* c2 = cards->AddCard(&form, L"C2");
    EXPECT_EQ(cards->ActiveCardIndex(), 0);
    EXPECT_TRUE(IsWindowVisible(c0->Handle()));
    EXPECT_FALSE(IsWindowVisible(c1->Handle()));

    cards->SetActiveCardIndex(2);
    EXPECT_EQ(cards->ActiveCardIndex(), 2);
    EXPECT_FALSE(IsWindowVisible(c0->Handle()));
    EXPECT_FALSE(IsWindowVisible(c1->Handle()));
    EXPECT_TRUE(IsWindowVisible(c2->Handle()));

    cards->SetActiveCardIndex(3);
    cards->SetActiveCardIndex(-1);
    EXPECT_EQ(cards->ActiveCardIndex(), 2) << "indices outside the cards are ignored";

    // Other programs tell the cards apart by their window ids.
    EXPECT_EQ(GetDlgItem(cards->Handle(), 1), c0->Handle());
    EXPECT_EQ(GetDlgItem(cards->Handle(), 3), c2->Handle());
    RECT card, panel;
    GetClientRect(c2->Handle(), &card);
    GetClientRect(cards->Handle(), &panel);
    EXPECT_EQ(card.right, panel.right);
    EXPECT_EQ(card.bottom, panel.bottom);
}

class TGuardedForm : public TTestForm {
public:
    bool AllowClose = false;
    int Closed = 0;

protected:
    bool FormCloseQuery() override { return AllowClose; }
    void FormClose() override { ++Closed; }
};

TEST(Form, CloseAsksFirstThenClosesOnce)
{
    TGuardedForm form;
    form.Close();
    PumpMessages();
    EXPECT_TRUE(IsWindow(form.Handle())) << "refused";
    EXPECT_EQ(form.Closed, 0);
    form.AllowClose = true;
    form.Close();
    PumpMessages();
    EXPECT_EQ(form.Handle(), nullptr);
    EXPECT_EQ(form.Closed, 1);
}

TEST(ThreadHandover, RunsTheWorkOnTheWindowThreadAndWaits)
{
    const THandover handover = WindowThreadHandover();
    const DWORD windowThread = GetCurrentThreadId();
    DWORD ranOn = 0;
    DWORD seenByWorker = 0;
    bool returned = false;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        returned = handover([&] {
            Sleep(200);  // a worker that did not wait would look before this ends
            ranOn = GetCurrentThreadId();
        });
        seenByWorker = ranOn;
        finished = true;
    });
    while (!finished) {
        PumpMessages();
        Sleep(1);
    }
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(ranOn, windowThread);
    EXPECT_EQ(seenByWorker, windowThread);

    // On the window thread itself the work runs at once.
    bool direct = false;
    EXPECT_TRUE(handover([&] { direct = true; }));
    EXPECT_TRUE(direct);
}

// The window thread ended (as when the program ends) or its hand-over
// window was destroyed: the work is dropped and the worker is told.
TEST(ThreadHandover, DropsTheWorkAndReportsFalseWhenTheWindowIsGone)
{
    THandover ofEndedThread;
    std::thread([&] { ofEndedThread = WindowThreadHandover(); }).join();
    bool ran = false;
    bool returned = true;
    std::thread([&] { returned = ofEndedThread([&] { ran = true; }); }).join();
    EXPECT_FALSE(returned);
    EXPECT_FALSE(ran);

    const THandover handover = WindowThreadHandover();
    DestroyWindow(ThreadHandoverWindow());
    returned = true;
    std::thread([&] { returned = handover([&] { ran = true; }); }).join();
    EXPECT_FALSE(returned);
    EXPECT_FALSE(ran);

    // A hand-over made afterwards gets a new window and works again.
    const THandover renewed = WindowThreadHandover();
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        returned = renewed([&] { ran = true; });
        finished = true;
    });
    while (!finished) {
        PumpMessages();
        Sleep(1);
    }
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_TRUE(ran);
}

// An error thrown by an event handler is handed to the error handler; the
// window and the caller of the message carry on.
TEST(EventGuard, ErrorsOfEventHandlersGoToTheHandler)
{
    std::vector<std::string> reported;
    SetEventErrorHandler([&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            reported.push_back(e.what());
        }
    });
    {
        TTestForm form;
        auto* button = new TStyledButton(&form, &form, L"Failing");
        button->SetBounds(0, 0, 50, 20);
        button->OnClick = [](TComponent*) { throw std::runtime_error("handler failed"); };
        SendMessageW(button->Handle(), BM_CLICK, 0, 0);
        PumpMessages();
        EXPECT_TRUE(IsWindow(button->Handle()));
        // And the thrower's failure on another thread's handover as well.
        const THandover handover = WindowThreadHandover();
        std::thread worker([&] { EXPECT_FALSE(handover([] { throw std::runtime_error("handover failed"); })); });
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (reported.size() < 2 && GetTickCount64() < deadline) {
            PumpMessages();
            Sleep(1);
        }
        worker.join();
    }
    SetEventErrorHandler(nullptr);
    EXPECT_EQ(reported, (std::vector<std::string>{"handler failed", "handover failed"}));
    EXPECT_EQ(GuardedEventDepth(), 0);
}

}  // namespace
