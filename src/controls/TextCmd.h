#pragma once
// The receiving end of the hand-over from a second start of the program (common/HandOver.h): a
// local server on this user's instance socket. Every connection is one start's parameters; when
// the sender has finished, the text (at most KMaxHandOverChars characters) is split into its
// lines, the receipt is written back, and the lines are passed on to OnCommand. A sender that
// has given up waiting (it then opens the files itself) gets nothing passed on.
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

class TTextCmd : public QObject
{
    Q_OBJECT
public:
    explicit TTextCmd(QObject* owner = nullptr);
    ~TTextCmd() override;

    // Listens on socketPath (default: the user's instance socket), clearing a socket file left by
    // an instance that is gone. False when a live instance listens there or the socket cannot be
    // made.
    bool Listen(const std::string& socketPath = std::string());
    void Close();
    bool IsListening() const;

    // The lines of one sender, in order, empty lines left out.
    std::function<void(const std::vector<std::string>& lines)> OnCommand;

    // Time a connected sender has to finish its text.
    int ReadTimeoutMs = 10000;

    // Splits a received text into its lines (CR LF, LF alone also ends a line); empty lines are left
    // out and only the first KMaxHandOverChars characters count (a line cut there is dropped).
    static std::vector<std::string> SplitCommandText(const std::string& text, bool complete);

private:
    void AcceptConnections();
    void Finish(QLocalSocket* socket, const std::string& text);

    QLocalServer* FServer;
};
