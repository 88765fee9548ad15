// The part of the modal-window answering that the program has: the pointer
// to the current responder (set only by the tests' scripted responder, in
// tests/common/responder.cpp) and the default answers without a screen.
#include "platform/gui/responder.h"

#include <atomic>
#include <cstdio>

#include "platform/gui/application.h"

namespace platform {
namespace {

std::atomic<int> gMessageBoxesWithoutScreen{0};

}  // namespace

const char* ModalKindName(TModalKind kind) {
  switch (kind) {
    case TModalKind::MessageBox: return "okno komunikatu";
    case TModalKind::InputBox: return "okno wprowadzania";
    case TModalKind::Form: return "okno modalne";
    case TModalKind::Dialog: return "okno dialogowe";
    case TModalKind::Menu: return "menu podręczne";
  }
  return "okno";
}

TModalResponder* TModalResponder::current_ = nullptr;

TModalResponder::~TModalResponder() = default;

TModalAnswer HowToAnswer() {
  if (TModalResponder::Current() != nullptr) return TModalAnswer::Responder;
  return IsHeadless() ? TModalAnswer::Default : TModalAnswer::User;
}

void TellWithoutScreen(TModalKind kind, const std::string& caption, const std::string& text,
                       const std::string& answer) {
  if (kind == TModalKind::MessageBox) ++gMessageBoxesWithoutScreen;
  std::fprintf(stderr, "Brak ekranu: %s \"%s\"%s%s - odpowiedź: %s\n", ModalKindName(kind), caption.c_str(),
               text.empty() ? "" : ": ", text.c_str(), answer.c_str());
  std::fflush(stderr);
}

int MessageBoxesWithoutScreen() { return gMessageBoxesWithoutScreen; }

}  // namespace platform
