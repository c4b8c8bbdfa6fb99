#include "controls/TextCmd.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "common/HandOver.h"

namespace {

// Keeps at most one character more than the receiver reads, so that an overlong text shows.
void AppendLimited(std::string& text, const QByteArray& data)
{
    size_t room = text.size() <= KMaxHandOverChars ? KMaxHandOverChars + 1 - text.size() : 0;
    text.append(data.constData(), std::min(size_t(data.size()), room));
}

} // namespace

TTextCmd::TTextCmd(QObject* owner) : QObject(owner), FServer(new QLocalServer(this))
{
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(FServer, &QLocalServer::newConnection, this, &TTextCmd::AcceptConnections);
}

TTextCmd::~TTextCmd() { Close(); }

bool TTextCmd::Listen(const std::string& socketPath)
{
    std::string path = socketPath.empty() ? InstanceSocketPath() : socketPath;
    if (path.empty() || FServer->isListening()) return false;
    if (!ClearStaleInstanceSocket(path)) return false;
    return FServer->listen(QString::fromLocal8Bit(path.c_str()));
}

void TTextCmd::Close()
{
    if (FServer->isListening()) FServer->close(); // removes the socket file
}

bool TTextCmd::IsListening() const { return FServer->isListening(); }

std::vector<std::string> TTextCmd::SplitCommandText(const std::string& text, bool complete)
{
    std::string_view view(text);
    if (view.size() > KMaxHandOverChars) {
        view = view.substr(0, KMaxHandOverChars);
        complete = false;
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < view.size()) {
        size_t end = view.find('\n', start);
        if (end == std::string_view::npos) {
            if (complete) end = view.size();
            else break; // a name cut short is no name
        }
        std::string_view line = view.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

void TTextCmd::AcceptConnections()
{
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        auto text = std::make_shared<std::string>();
        auto finished = std::make_shared<bool>(false);
        auto read = [this, socket, text, finished] {
            if (*finished) return;
            QByteArray data = socket->readAll();
            qsizetype end = data.indexOf('\0');
            AppendLimited(*text, end < 0 ? data : data.left(end));
            if (end < 0) return;
            *finished = true;
            Finish(socket, *text);
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        // A sender that goes before its end mark has started normally: nothing is passed on.
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QPointer<QLocalSocket> guard(socket);
        QTimer::singleShot(ReadTimeoutMs, socket, [guard] {
            if (guard) guard->abort();
        });
        if (socket->bytesAvailable() > 0) read();
    }
}

void TTextCmd::Finish(QLocalSocket* socket, const std::string& text)
{
    std::vector<std::string> lines = SplitCommandText(text, true);
    // The receipt tells the sender that its names are taken; when it cannot be delivered, the
    // sender has gone and opens its files itself.
    char receipt = KHandOverReceipt;
    bool delivered = socket->write(&receipt, 1) == 1 && socket->waitForBytesWritten(1000);
    socket->disconnectFromServer();
    if (delivered && OnCommand) OnCommand(lines);
}
