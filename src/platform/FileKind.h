#pragma once
// What a name stands for on disk, asked before a file is opened by name: only a regular file is
// read as a picture, a profile or any other document. Opening a named pipe waits for a writer and a
// device may never end, so everything the program opens by a name it was given asks here first.
#include <string>

enum class TFileKind
{
    Missing,
    Regular,
    Folder,
    NamedPipe,
    Device,
    Socket,
    Other
};

// The kind of the file the name leads to (symbolic links followed); Missing when there is none.
TFileKind FileKindOf(const std::string& fileName);

// "Cannot open file "NAME". It is a named pipe, not a regular file." (a folder, a device, ...), or
// an empty text when the name is a regular file or names nothing (the open then says why).
std::string NotRegularFileMessage(const std::string& fileName);

// "Cannot create file "NAME". It is not a regular file." when a folder, pipe, device or the like
// stands under a name about to be written (it is never replaced or written into); else empty.
std::string NotRegularTargetMessage(const std::string& fileName);

// Opens a regular file without ever waiting: the name is opened without blocking and the open
// file's own kind is checked. flags is O_RDONLY, O_WRONLY or O_RDWR, to which O_CREAT (a missing
// file is made, mode 0666 less the umask) and O_TRUNC may be added; the file is emptied only once it
// is known to be regular. Returns the descriptor (blocking reads and writes, close-on-exec), or -1
// with errno set by the system (message empty), or -1 with message set when the name is not a
// regular file: NotRegularTargetMessage's text with O_CREAT, else NotRegularFileMessage's.
int OpenRegularFile(const std::string& fileName, int flags, std::string& message);
