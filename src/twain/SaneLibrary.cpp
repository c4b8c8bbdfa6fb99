#include "twain/SaneLibrary.h"

#include <dlfcn.h>

namespace {

template <typename F> bool Resolve(void* library, const char* name, F& fn, std::string& error)
{
    fn = reinterpret_cast<F>(::dlsym(library, name));
    if (fn == nullptr) error = std::string("libsane.so.1 has no ") + name;
    return fn != nullptr;
}

} // namespace

std::unique_ptr<TSaneLibrary> TSaneLibrary::Load(std::string& error)
{
    void* handle = ::dlopen("libsane.so.1", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        error = why != nullptr ? why : "libsane.so.1 cannot be loaded";
        return nullptr;
    }
    std::unique_ptr<TSaneLibrary> lib(new TSaneLibrary);
    lib->FHandle = handle;
    const bool ok =
        Resolve(handle, "sane_init", lib->init, error) && Resolve(handle, "sane_exit", lib->exit, error) &&
        Resolve(handle, "sane_get_devices", lib->get_devices, error) &&
        Resolve(handle, "sane_open", lib->open, error) && Resolve(handle, "sane_close", lib->close, error) &&
        Resolve(handle, "sane_get_option_descriptor", lib->get_option_descriptor, error) &&
        Resolve(handle, "sane_control_option", lib->control_option, error) &&
        Resolve(handle, "sane_get_parameters", lib->get_parameters, error) &&
        Resolve(handle, "sane_start", lib->start, error) && Resolve(handle, "sane_read", lib->read, error) &&
        Resolve(handle, "sane_cancel", lib->cancel, error) &&
        Resolve(handle, "sane_strstatus", lib->strstatus, error);
    if (!ok) return nullptr; // the destructor closes the library
    return lib;
}

TSaneLibrary::~TSaneLibrary()
{
    if (FHandle != nullptr) ::dlclose(FHandle);
}
