// The machine's file system: listings, length, copy, whole-file read and write.
#include "platform/local_file_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

bool isPseudoFileSystem(std::string_view type) {
    static constexpr std::array<std::string_view, 22> kPseudo = {
        "proc",     "sysfs",      "devpts",    "devtmpfs",   "cgroup",      "cgroup2",
        "mqueue",   "debugfs",    "tracefs",   "securityfs", "pstore",      "bpf",
        "configfs", "fusectl",    "hugetlbfs", "autofs",     "binfmt_misc", "nsfs",
        "efivarfs", "rpc_pipefs", "selinuxfs", "ramfs"};
    return std::find(kPseudo.begin(), kPseudo.end(), type) != kPseudo.end();
}

bool isSystemFolder(std::string_view path) {
    for (std::string_view root : {"/proc", "/sys", "/dev", "/run"}) {
        if (path == root) return true;
        if (path.size() > root.size() && path.substr(0, root.size()) == root &&
            path[root.size()] == '/') {
            return true;
        }
    }
    return false;
}

// Undoes the \ooo escapes the kernel writes for blanks and other bytes.
std::string unescapeMountPoint(std::string_view field) {
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) &&
            octal(field[i + 2]) && octal(field[i + 3])) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// Splits one line into its blank-separated fields.
std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

bool isHidden(const fs::path& name) {
    std::string text = name.filename().string();
    return text.empty() || text[0] == '.';
}

std::string systemError(int code) {
    return std::error_code(code, std::generic_category()).message();
}

}  // namespace

std::vector<std::string> parseMounts(std::string_view table) {
    std::vector<std::string> out;
    while (!table.empty()) {
        std::size_t end = table.find('\n');
        std::string_view line = table.substr(0, end);
        table = end == std::string_view::npos ? std::string_view{} : table.substr(end + 1);
        std::vector<std::string_view> parts = fields(line);
        if (parts.size() < 3 || isPseudoFileSystem(parts[2])) continue;
        std::string point = unescapeMountPoint(parts[1]);
        if (point.empty() || point[0] != '/' || isSystemFolder(point)) continue;
        out.push_back(point);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::vector<std::string> LocalFileSystem::drives() {
    ReadResult mounts = readFile("/proc/self/mounts");
    std::vector<std::string> out =
        mounts.ok ? parseMounts(mounts.bytes) : std::vector<std::string>{};
    if (out.empty()) out.push_back("/");
    return out;
}

std::vector<std::string> LocalFileSystem::directories(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        if (!isHidden(it->path()) && it->is_directory(kindError)) {
            out.push_back(it->path().filename().string());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> LocalFileSystem::files(const std::string& folder,
                                                std::string_view pattern) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        std::string name = it->path().filename().string();
        if (!isHidden(it->path()) && it->is_regular_file(kindError) &&
            matchesPattern(name, pattern)) {
            out.push_back(name);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

long long LocalFileSystem::fileLength(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return -1;
    std::uintmax_t size = fs::file_size(path, ec);
    return ec ? -1 : static_cast<long long>(size);
}

bool LocalFileSystem::exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

FileResult LocalFileSystem::copyFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) return {false, ec.message()};
    return {true, {}};
}

ReadResult LocalFileSystem::readFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {false, {}, systemError(errno)};
    ReadResult result{true, {}, {}};
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            result.bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            result = {false, {}, systemError(errno)};
            break;
        }
    }
    ::close(fd);
    return result;
}

FileResult LocalFileSystem::writeFile(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return {false, systemError(errno)};
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            int code = put < 0 ? errno : ENOSPC;
            ::close(fd);
            return {false, systemError(code)};
        }
        done += static_cast<std::size_t>(put);
    }
    if (::close(fd) != 0) return {false, systemError(errno)};
    return {true, {}};
}

}  // namespace platform
