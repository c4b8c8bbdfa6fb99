#pragma once
// Handing the command line to the running instance of the program, so that a second start opens
// its files in the first one's window and ends.
//
// The running instance listens on a per-user local socket. A sender connects, writes every
// parameter followed by CR LF, then the end mark (a NUL byte, which no parameter can hold), and
// waits for the one-byte receipt that the receiver writes once it has read the whole text. One connection carries one start's
// parameters, so each start's names arrive whole. Plain file names are made absolute by the
// sender (the receiver runs in another folder); "http:" and "file:" addresses pass unchanged.
//
// Plain POSIX: usable before any GUI object exists.
#include <string>
#include <vector>

// The most text the receiver reads from one sender.
constexpr size_t KMaxHandOverChars = 64000;
// The end mark of a sender's text and the receipt byte of a completed hand-over.
constexpr char KHandOverEnd = '\0';
constexpr char KHandOverReceipt = '\x06';
// How long a sender waits for the receipt by default.
constexpr int KHandOverTimeoutMs = 5000;

// The socket of this user's running instance: in $XDG_RUNTIME_DIR when that is a folder of this
// user closed to others, else in a private folder <fallbackParent>/quillmark-<uid> (created with
// mode 0700 when missing). Empty when that folder exists but is someone else's or open to others.
std::string InstanceSocketPath(const std::string& fallbackParent = "/tmp");

// The text sent for the parameters; relative file names are taken against folder.
std::string BuildHandOverText(const std::vector<std::string>& params, const std::string& folder);

// Hands the parameters to the instance listening at socketPath. False (start normally) when there
// are no parameters, the text would exceed KMaxHandOverChars, nobody listens there, the listener
// belongs to another user, or no receipt comes within timeoutMs (a hung instance: the files are
// then opened by this start rather than lost).
bool ForwardToRunningInstance(const std::vector<std::string>& params, const std::string& socketPath,
                              int timeoutMs = KHandOverTimeoutMs);
bool ForwardToRunningInstance(const std::vector<std::string>& params);

// Removes a socket file that no live process listens on (left by an instance that ended without
// cleaning up). False when an instance answers there; true when the path is free now.
bool ClearStaleInstanceSocket(const std::string& socketPath);
