#include "platform/MessageBox.h"

#include <atomic>
#include <cstdio>

namespace {

// Without a GUI: tell on the standard error stream and say No to every question.
class TConsoleMessageBox : public IMessageBox
{
public:
    int Show(TWindowHandle, TMsgKind kind, const std::string& caption, const std::string& text) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return kind == TMsgKind::mkYesNo || kind == TMsgKind::mkYesNoCancel ? mrNo : mrOk;
    }
    TCheckAnswer ShowCheck(TWindowHandle, const TCheckMessage& message) override
    {
        std::fprintf(stderr, "%s: %s\n", message.Caption.c_str(), message.Text.c_str());
        bool hasNo = message.Buttons == 3 || message.Buttons == 4;
        bool hasCancel = message.Buttons == 1;
        return {hasNo ? mrNo : hasCancel ? mrCancel : mrOk, false};
    }
};

std::atomic<IMessageBox*> gBox{nullptr};

} // namespace

IMessageBox& CurrentMessageBox()
{
    static TConsoleMessageBox console;
    IMessageBox* box = gBox.load();
    return box ? *box : console;
}

IMessageBox* SetMessageBox(IMessageBox* box) { return gBox.exchange(box); }

int TRecordingMessageBox::Show(TWindowHandle owner, TMsgKind kind, const std::string& caption,
                               const std::string& text)
{
    std::lock_guard<std::mutex> lock(FMutex);
    TCall call;
    call.Owner = owner;
    call.Kind = kind;
    call.Caption = caption;
    call.Text = text;
    bool question = kind == TMsgKind::mkYesNo || kind == TMsgKind::mkYesNoCancel;
    call.Answer.Result = question ? NextAnswer().Result : mrOk;
    FCalls.push_back(call);
    return call.Answer.Result;
}

TCheckAnswer TRecordingMessageBox::ShowCheck(TWindowHandle owner, const TCheckMessage& message)
{
    std::lock_guard<std::mutex> lock(FMutex);
    TCall call;
    call.Owner = owner;
    call.IsCheck = true;
    call.Caption = message.Caption;
    call.Text = message.Text;
    call.Check = message;
    call.Answer = NextAnswer();
    FCalls.push_back(call);
    return call.Answer;
}

TCheckAnswer TRecordingMessageBox::NextAnswer()
{
    if (FAnswers.empty()) return DefaultAnswer;
    TCheckAnswer a = FAnswers.front();
    FAnswers.pop_front();
    return a;
}

void TRecordingMessageBox::Answer(int result, bool dontShowAgain)
{
    std::lock_guard<std::mutex> lock(FMutex);
    FAnswers.push_back({result, dontShowAgain});
}

std::vector<TRecordingMessageBox::TCall> TRecordingMessageBox::Calls() const
{
    std::lock_guard<std::mutex> lock(FMutex);
    return FCalls;
}

size_t TRecordingMessageBox::PendingAnswers() const
{
    std::lock_guard<std::mutex> lock(FMutex);
    return FAnswers.size();
}
