#pragma once
// The exception family the program uses. Failures are exceptions; EAbort is the silent abort
// that is never reported to the user.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

#define QM_EXCEPTION(Name, Base)                                                                             \
    class Name : public Base                                                                                 \
    {                                                                                                        \
    public:                                                                                                  \
        using Base::Base;                                                                                    \
    };

class EAbort : public Exception
{
public:
    EAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
};

QM_EXCEPTION(EConvertError, Exception)            // text to number conversion failed
QM_EXCEPTION(EInvalidOperation, Exception)
QM_EXCEPTION(EListError, Exception)               // index or capacity of a list out of range
QM_EXCEPTION(EOutOfResources, Exception)          // a size over the configured limits
QM_EXCEPTION(EInvalidGraphic, Exception)          // a picture file or stream that cannot be read
QM_EXCEPTION(EInvalidGraphicOperation, Exception) // an operation the picture does not allow
QM_EXCEPTION(EStreamError, Exception)
QM_EXCEPTION(EReadError, EStreamError)            // "Stream read error"
QM_EXCEPTION(EWriteError, EStreamError)           // "Stream write error"
QM_EXCEPTION(EFOpenError, EStreamError)           // a file that cannot be opened
QM_EXCEPTION(EFCreateError, EStreamError)         // a file that cannot be created
QM_EXCEPTION(ERegistryException, Exception)       // the settings store refused a write
