#include "DialogBackend.h"

#include "QtDialogBackend.h"

namespace {

std::shared_ptr<DialogBackend> &Installed()
{
    static std::shared_ptr<DialogBackend> backend;
    return backend;
}

} // namespace

void SetDialogBackend(std::shared_ptr<DialogBackend> backend) { Installed() = std::move(backend); }

DialogBackend &CurrentDialogBackend()
{
    static QtDialogBackend real;
    return Installed() ? *Installed() : real;
}
