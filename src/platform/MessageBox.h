#pragma once
// The message-box interface: how the program asks the user or tells the user something. The GUI
// installs an implementation that shows modal boxes; tests install TRecordingMessageBox, which
// answers from a script and records every box, so nothing modal blocks a test. Without an
// installed implementation, boxes are written to the standard error stream and questions are
// answered No (Cancel for a box without No).
#include <deque>
#include <mutex>
#include <string>
#include <vector>

// The owner window of a box (the GUI passes its window object); nullptr for none.
using TWindowHandle = void*;

enum class TMsgKind { mkWarning, mkInformation, mkError, mkYesNo, mkYesNoCancel };

// Answers of the boxes (the values the program stores and compares).
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// A box with a "Don't show this message again" check box.
struct TCheckMessage
{
    std::string Caption;
    std::string Text;
    int IconIndex = 0; // picture of the box's own image list
    int Buttons = 0;   // 0 OK; 1 OK and Cancel; 3 Yes, No and Cancel; 4 Yes and No; other values OK
    int Width = 0;     // box size when not 0
    int Height = 0;
    int TopOffset = 0; // added to the text's top when not 0
};

struct TCheckAnswer
{
    int Result = mrNone;        // a TModalResult
    bool DontShowAgain = false; // the state of the check box when the box closed
};

class IMessageBox
{
public:
    virtual ~IMessageBox() = default;
    // Shows a modal box; returns mrYes or mrNo for mkYesNo, mrYes, mrNo or mrCancel for mkYesNoCancel,
    // mrOk for the others.
    virtual int Show(TWindowHandle owner, TMsgKind kind, const std::string& caption, const std::string& text) = 0;
    virtual TCheckAnswer ShowCheck(TWindowHandle owner, const TCheckMessage& message) = 0;
    // Closes the questions (mkYesNo, mkYesNoCancel) open now for owner, whose subject has gone: each
    // returns the answer of its escape button (mrNo, or mrCancel where it has Cancel). Boxes that
    // return at once have nothing to close.
    virtual void CloseQuestions(TWindowHandle owner) { (void)owner; }
};

// The implementation in use (never nullptr).
IMessageBox& CurrentMessageBox();
// Installs an implementation (nullptr restores the built-in one); returns the previous one, or
// nullptr when that was the built-in one.
IMessageBox* SetMessageBox(IMessageBox* box);

// Installs a message box for the lifetime of the scope (tests).
class TScopedMessageBox
{
public:
    explicit TScopedMessageBox(IMessageBox* box) : FPrevious(SetMessageBox(box)) {}
    ~TScopedMessageBox() { SetMessageBox(FPrevious); }
    TScopedMessageBox(const TScopedMessageBox&) = delete;
    TScopedMessageBox& operator=(const TScopedMessageBox&) = delete;

private:
    IMessageBox* FPrevious;
};

// Records every box and answers questions (mkYesNo, mkYesNoCancel and check boxes) from a scripted queue; when the
// queue is empty, a question gets DefaultAnswer. Boxes that ask nothing take no answer.
class TRecordingMessageBox : public IMessageBox
{
public:
    struct TCall
    {
        TWindowHandle Owner = nullptr;
        bool IsCheck = false;
        TMsgKind Kind = TMsgKind::mkWarning; // for Show
        std::string Caption;
        std::string Text;
        TCheckMessage Check;                 // for ShowCheck
        TCheckAnswer Answer;                 // what the box answered
    };

    int Show(TWindowHandle owner, TMsgKind kind, const std::string& caption, const std::string& text) override;
    TCheckAnswer ShowCheck(TWindowHandle owner, const TCheckMessage& message) override;

    // Queues the answer to the next question.
    void Answer(int result, bool dontShowAgain = false);
    std::vector<TCall> Calls() const;
    size_t PendingAnswers() const;

    TCheckAnswer DefaultAnswer{mrNo, false};

private:
    TCheckAnswer NextAnswer();
    mutable std::mutex FMutex;
    std::deque<TCheckAnswer> FAnswers;
    std::vector<TCall> FCalls;
};
