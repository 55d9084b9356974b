// The class registration of the library: the one control class it serves, by its programmatic
// identifier, and the library's face.
#include "ControlFactory.h"
#include "PellundExport.h"
#include "VistaProg.h"

#include <cstring>

extern "C" {

PELLUND_EXPORT QWidget *CreateRegisteredControl(const char *progId, QWidget *parent)
{
    if (progId == nullptr || std::strcmp(progId, "Pellund.VistaProg") != 0)
        return nullptr;
    return new VistaProg(parent);
}

PELLUND_EXPORT const ControlLibraryFace *ControlLibraryFace()
{
    static const struct ControlLibraryFace face {
        "1.00", "Pellund", "Progress Bar Corvane"
    };
    return &face;
}

} // extern "C"
