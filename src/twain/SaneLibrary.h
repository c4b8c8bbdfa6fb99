#pragma once
// libsane.so.1 loaded at run time: the program runs without it (no scanner then). Unloading
// closes the library, so the next load reads the configuration (SANE_CONFIG_DIR) again.
#include <memory>
#include <string>

#include <sane/sane.h>

class TSaneLibrary
{
public:
    // nullptr when the library or one of its functions is missing.
    static std::unique_ptr<TSaneLibrary> Load(std::string& error);
    ~TSaneLibrary();
    TSaneLibrary(const TSaneLibrary&) = delete;
    TSaneLibrary& operator=(const TSaneLibrary&) = delete;

    SANE_Status (*init)(SANE_Int* version, SANE_Auth_Callback authorize) = nullptr;
    void (*exit)() = nullptr;
    SANE_Status (*get_devices)(const SANE_Device*** list, SANE_Bool localOnly) = nullptr;
    SANE_Status (*open)(SANE_String_Const name, SANE_Handle* handle) = nullptr;
    void (*close)(SANE_Handle handle) = nullptr;
    const SANE_Option_Descriptor* (*get_option_descriptor)(SANE_Handle handle, SANE_Int option) = nullptr;
    SANE_Status (*control_option)(SANE_Handle handle, SANE_Int option, SANE_Action action, void* value,
                                  SANE_Int* info) = nullptr;
    SANE_Status (*get_parameters)(SANE_Handle handle, SANE_Parameters* params) = nullptr;
    SANE_Status (*start)(SANE_Handle handle) = nullptr;
    SANE_Status (*read)(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength, SANE_Int* length) = nullptr;
    void (*cancel)(SANE_Handle handle) = nullptr;
    SANE_String_Const (*strstatus)(SANE_Status status) = nullptr;

private:
    TSaneLibrary() = default;
    void* FHandle = nullptr;
};
