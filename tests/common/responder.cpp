// The scripted responder of the tests (declared in platform/gui/responder.h),
// linked into every test program and into no other: the program itself has
// only the pointer to the current responder, which nothing sets there.
#include "platform/gui/responder.h"

#include <cstdio>
#include <cstdlib>

#include "platform/gui/application.h"

namespace platform {
namespace {

bool Fits(TScriptedResponder::TAnswer::Kind answer, TModalKind kind) {
  using K = TScriptedResponder::TAnswer::Kind;
  switch (answer) {
    case K::Cancel: return true;
    case K::MessageBox: return kind == TModalKind::MessageBox;
    case K::InputBox: return kind == TModalKind::InputBox;
    case K::Form:
    case K::FormLoop: return kind == TModalKind::Form;
    case K::Dialog:
    case K::FileName: return kind == TModalKind::Dialog;
    case K::MenuLoop: return kind == TModalKind::Menu;
  }
  return false;
}

}  // namespace

TScriptedResponder::TScriptedResponder(TReporter reporter)
    : reporter_(std::move(reporter)), previous_(current_) {
  EnsureApplication();
  current_ = this;
}

TScriptedResponder::~TScriptedResponder() {
  current_ = previous_;
  if (!answers_.empty())
    Report("Niewykorzystane odpowiedzi dla okien modalnych: " + std::to_string(answers_.size()));
}

void TScriptedResponder::AnswerMessageBox(int result) {
  answers_.push_back(TAnswer{TAnswer::Kind::MessageBox, result, {}, {}, {}, {}});
}

void TScriptedResponder::AnswerInputBox(std::optional<std::string> text) {
  answers_.push_back(TAnswer{TAnswer::Kind::InputBox, 0, std::move(text), {}, {}, {}});
}

void TScriptedResponder::AnswerForm(int modalResult) {
  answers_.push_back(TAnswer{TAnswer::Kind::Form, modalResult, {}, {}, {}, {}});
}

void TScriptedResponder::AnswerForm(std::function<void(TForm&)> fill, std::string expectedCaption) {
  answers_.push_back(
      TAnswer{TAnswer::Kind::Form, 0, {}, std::move(fill), {}, std::move(expectedCaption)});
}

void TScriptedResponder::AnswerFormByLoop(std::uint32_t timeoutMs) {
  answers_.push_back(TAnswer{TAnswer::Kind::FormLoop, static_cast<int>(timeoutMs), {}, {}, {}, {}});
}

void TScriptedResponder::AnswerDialog(std::function<bool(TCommonDialog&)> fn) {
  answers_.push_back(TAnswer{TAnswer::Kind::Dialog, 0, {}, {}, std::move(fn), {}});
}

void TScriptedResponder::AnswerFileName(std::string path) {
  answers_.push_back(TAnswer{TAnswer::Kind::FileName, 0, std::move(path), {}, {}, {}});
}

void TScriptedResponder::AnswerMenuByLoop(std::uint32_t timeoutMs) {
  answers_.push_back(TAnswer{TAnswer::Kind::MenuLoop, static_cast<int>(timeoutMs), {}, {}, {}, {}});
}

void TScriptedResponder::AnswerCancel() {
  answers_.push_back(TAnswer{TAnswer::Kind::Cancel, 0, {}, {}, {}, {}});
}

std::optional<TScriptedResponder::TAnswer> TScriptedResponder::Take(TModalKind kind,
                                                                    const std::string& caption,
                                                                    const std::string& text) {
  if (answers_.empty()) {
    Report(std::string("Nieoczekiwane ") + ModalKindName(kind) + ": \"" + caption + "\"" +
           (text.empty() ? std::string() : " (" + text + ")"));
    return std::nullopt;
  }
  if (!Fits(answers_.front().kind, kind)) {
    Report(std::string("Odpowiedź innego rodzaju dla: ") + ModalKindName(kind) + " \"" + caption + "\"");
    return std::nullopt;
  }
  TAnswer answer = std::move(answers_.front());
  answers_.erase(answers_.begin());
  if (!answer.expectedCaption.empty() && answer.expectedCaption != caption)
    Report("Oczekiwano okna \"" + answer.expectedCaption + "\", pokazano \"" + caption + "\"");
  return answer;
}

void TScriptedResponder::Report(const std::string& failure) {
  if (reporter_) {
    reporter_(failure);
    return;
  }
  std::fprintf(stderr, "%s\n", failure.c_str());
  std::abort();
}

}  // namespace platform
