// A language file through LoadStrings, then its texts as the windows ask for them.
#include "FuzzSupport.h"
#include "LanguageStrings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString program = FuzzSupport::Folder() + QStringLiteral("/program");
    FuzzSupport::WriteInput(QStringLiteral("program/Lng/fuz.lng"), data, size);
    LoadStrings(QStringLiteral("fuz"), program);
    for (const int number : {-1, 0, 1, 2, 26, 100, 31999, 32000, 32001}) {
        const QString text = LocalString(number, QStringLiteral("default|text"));
        FUZZ_REQUIRE(!text.isEmpty());
        FUZZ_REQUIRE(!text.contains('|'));
        FUZZ_REQUIRE(text.size() <= 2 * 254);
    }
    return 0;
}
