#include "win/busy.h"

#include <utility>

#include "win/main_controls.h"
#include "win/state.h"

namespace tav {

namespace {

bool isInput(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
         (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK) || msg == WM_MOUSEWHEEL ||
         msg == WM_CONTEXTMENU;
}

}  // namespace

BusyTiming& busyTiming() {
  static BusyTiming t;
  return t;
}

std::string groupedCount(std::size_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

BusyWork::BusyWork(std::string what, Stop stop)
    : what_(std::move(what)),
      canStop_(stop == Stop::OnEscape),
      wasBusy_(app().ui.busy),
      start_(GetTickCount()),
      last_(start_) {
  app().ui.busy = true;
  progress_.report = [this](std::size_t done, std::size_t total) { return step(done, total); };
}

BusyWork::~BusyWork() {
  App& a = app();
  a.ui.busy = wasBusy_;
  if (shown_) setStatus(StatusPart::Message, stopped_ ? "中止しました" : "");
  if (wasBusy_) return;
  // A hand-off or a close that arrived meanwhile runs now.
  if (a.ui.handoffWaiting) {
    a.ui.handoffWaiting = false;
    PostMessageA(a.main, HANDOFF_MESSAGE, 0, 0);
  }
  if (a.ui.closeWaiting) {
    a.ui.closeWaiting = false;
    PostMessageA(a.main, WM_CLOSE, 0, 0);
  }
}

bool BusyWork::step(std::size_t done, std::size_t total) {
  const std::uint32_t now = GetTickCount();
  const BusyTiming& timing = busyTiming();
  if (now - last_ < timing.pumpEveryMs) return !stopped_;
  last_ = now;
  if (now - start_ >= timing.showAfterMs) {
    shown_ = true;
    std::string text = what_ + "… " + groupedCount(done) + " / " + groupedCount(total);
    if (canStop_) text += "（Esc で中止）";
    setStatus(StatusPart::Message, text);
  }
  pump();
  return !stopped_;
}

void BusyWork::pump() {
  App& a = app();
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));  // for the message loop, after the work
      return;
    }
    if (isInput(m.message)) {
      if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE && canStop_) stopped_ = true;
      continue;
    }
    // The journal's timer would store the editor's text into the index at work.
    if (m.message == WM_TIMER && m.hwnd == a.main) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

}  // namespace tav
