// With a password every entry derives its keys (PBKDF2-HMAC-SHA1, 1,000 rounds, 66 bytes), so
// thousands of entries pay for thousands of derivations. Prints the cost of one derivation by
// OpenSSL's PKCS5_PBKDF2_HMAC and by ours on each of its paths (the SHA extensions where the
// processor has them, and the portable one), next to the SHA-1 compressions it cannot do without.
#include "Pbkdf2Sha1.h"

#include <QByteArray>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <openssl/evp.h>

namespace {

constexpr int kRounds = 1000;
constexpr int kKeySize = 66;
// Four SHA-1 blocks of output, two compressions a round.
constexpr int kCompressions = 4 * 2 * kRounds;

// The processor time of this thread: on a machine shared with other work, time on the clock
// counts that work too.
double ThreadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Best of five batches, in milliseconds of processor time per call.
double BestMs(int calls, const std::function<void()> &call)
{
    double best = 1e9;
    for (int batch = 0; batch < 5; ++batch) {
        const double start = ThreadMs();
        for (int i = 0; i < calls; ++i)
            call();
        best = std::min(best, (ThreadMs() - start) / calls);
    }
    return best;
}

} // namespace

int main()
{
    const QByteArray password = "Bench-Pa55word";
    const QByteArray salt = QByteArray::fromHex("00112233445566778899aabbccddeeff");
    unsigned char theirs[kKeySize];

    const double openSsl = BestMs(200, [&] {
        PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
                          reinterpret_cast<const unsigned char *>(salt.constData()), int(salt.size()), kRounds,
                          EVP_sha1(), kKeySize, theirs);
    });
    bool same = true;
    const auto ours = [&](Pbkdf2Sha1Path path) {
        unsigned char key[kKeySize] = {};
        const double ms = BestMs(200, [&] { (void)Pbkdf2HmacSha1Using(path, password, salt, kRounds, key, kKeySize); });
        same = same && std::equal(theirs, theirs + kKeySize, key);
        return ms;
    };
    const double portable = ours(Pbkdf2Sha1Path::Portable);
    const double extensions = ProcessorHasShaExtensions() ? ours(Pbkdf2Sha1Path::ShaExtensions) : 0;
    // The same number of compressions in one digest of 64-byte blocks: what no derivation can beat.
    const QByteArray blocks(kCompressions * 64, 'x');
    unsigned char digest[EVP_MAX_MD_SIZE];
    const double floor = BestMs(
        200, [&] { EVP_Digest(blocks.constData(), size_t(blocks.size()), digest, nullptr, EVP_sha1(), nullptr); });

    std::printf(
        "PBKDF2-HMAC-SHA1, %d rounds, %d bytes, processor ms per call: OpenSSL %.3f, ours with the SHA extensions ",
        kRounds, kKeySize, openSsl);
    if (ProcessorHasShaExtensions())
        std::printf("%.3f", extensions);
    else
        std::printf("(not on this processor)");
    std::printf(", ours portable %.3f (%s); %d SHA-1 compressions alone %.3f\n", portable,
                same ? "same key" : "DIFFERENT KEY", kCompressions, floor);
    return same ? 0 : 1;
}
