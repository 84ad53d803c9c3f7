#include "boards/core/Atomicfile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string Reason(int savedErrno, const char* fallback)
{
    return savedErrno != 0 ? std::string(std::strerror(savedErrno)) : std::string(fallback);
}

}  // namespace

bool WriteFileAtomically(const std::string& fileName, const std::function<void(std::ostream&)>& write,
                         std::string& error)
{
    error.clear();
    std::error_code ec;
    fs::path target(fileName);
    // Replace what a link points at, not the link itself.
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    if (fs::is_directory(target, ec)) {
        error = fileName + ": " + std::strerror(EISDIR);
        return false;
    }
    fs::path temp = target;
    temp += ".saving~";

    errno = 0;
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = fileName + ": cannot be written: " + Reason(errno, "cannot create the file");
        return false;
    }
    std::string failure;
    errno = 0;
    try {
        write(out);
        out.flush();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    const bool written = failure.empty() && static_cast<bool>(out);
    const int writeErrno = errno;
    out.close();
    if (!written || out.fail()) {
        fs::remove(temp, ec);
        error = fileName + ": cannot be written: " + (failure.empty() ? Reason(writeErrno, "write failed") : failure);
        return false;
    }
    // Keep the permissions of the file being replaced.
    const fs::file_status old = fs::status(target, ec);
    if (!ec && fs::exists(old))
        fs::permissions(temp, old.permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        error = fileName + ": cannot be written: " + ec.message();
        return false;
    }
    return true;
}
