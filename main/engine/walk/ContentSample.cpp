// A cheap fingerprint of a file's content, through libcrypto, and the comparison of two
// files' whole content.
#include "engine/walk/ContentSample.h"

#include "engine/base/UniqueFd.h"

#include <openssl/evp.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace ContentSample {
namespace {

struct DigestFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

/// Reads exactly `length` bytes at `offset`; false on a short read or an error.
bool readAt(int fd, std::int64_t offset, std::int64_t length, std::vector<unsigned char>& into)
{
    into.resize(std::size_t(length));
    std::int64_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, into.data() + done, std::size_t(length - done), off_t(offset + done));
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

/// The file opened for reading when it is a regular file of `size` bytes.
UniqueFd openOfSize(const std::filesystem::path& file, std::int64_t size)
{
    UniqueFd opened(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat st{};
    if (!opened || fstat(opened.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != size)
        return UniqueFd();
    return opened;
}

} // namespace

bool same(const std::filesystem::path& a, const std::filesystem::path& b, std::int64_t size)
{
    const UniqueFd first = openOfSize(a, size);
    const UniqueFd second = openOfSize(b, size);
    if (!first || !second)
        return false;
    // Sequential reads of a large block each: the page cache reads ahead for both files.
    constexpr std::int64_t chunk = 256 * 1024;
    std::vector<unsigned char> left, right;
    for (std::int64_t offset = 0; offset < size; offset += chunk) {
        const std::int64_t length = std::min(chunk, size - offset);
        if (!readAt(first.get(), offset, length, left) || !readAt(second.get(), offset, length, right))
            return false;
        if (left != right)
            return false;
    }
    return true;
}

std::optional<std::string> of(const std::filesystem::path& file, std::int64_t size)
{
    const UniqueFd opened = openOfSize(file, size);
    if (!opened)
        return std::nullopt;
    // Each block is hashed at its place, so two files that hold the same blocks in another
    // order differ.
    std::vector<std::pair<std::int64_t, std::int64_t>> blocks;
    if (size <= 3 * blockSize)
        blocks.emplace_back(0, size);
    else
        blocks = {{0, blockSize}, {size / 2 - blockSize / 2, blockSize}, {size - blockSize, blockSize}};

    const std::unique_ptr<EVP_MD_CTX, DigestFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return std::nullopt;
    std::vector<unsigned char> bytes;
    for (const auto& [offset, length] : blocks) {
        if (!readAt(opened.get(), offset, length, bytes) || EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1)
            return std::nullopt;
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(digest.data()), length);
}

} // namespace ContentSample
