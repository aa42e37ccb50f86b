#include "SerialPortList.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool HasPrefixAndNumber(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

// The UART type the serial core reports for a ttyS port: sysfs
// "class/tty/<name>/type" where the kernel has it, else TIOCGSERIAL on the
// device itself. 0 (PORT_UNKNOWN) means no UART answered at that address.
bool HasUart(const std::string& root, const std::string& name) {
    std::ifstream typeFile(root + "/sys/class/tty/" + name + "/type");
    if (typeFile) {
        long type = 0;
        if (typeFile >> type) return type != PORT_UNKNOWN;
        return false;
    }
    const int fd = ::open((root + "/dev/" + name).c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    serial_struct info{};
    const bool known = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return known;
}

// "ttyS2" before "ttyS10": names compare by their text, numbers by value.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
            std::size_t ie = i, je = j;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
            const std::string na = a.substr(i, ie - i), nb = b.substr(j, je - j);
            const std::string ta = na.substr(std::min(na.find_first_not_of('0'), na.size()));
            const std::string tb = nb.substr(std::min(nb.find_first_not_of('0'), nb.size()));
            if (ta.size() != tb.size()) return ta.size() < tb.size();
            if (ta != tb) return ta < tb;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

std::vector<std::string> SortedNames(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

}  // namespace

bool EnumSerialPorts(const std::string& root, bool serialOnly, std::vector<CString>& names) {
    names.clear();
    const std::string base = root.empty() ? std::string("/") : root;
    const fs::path dev = fs::path(base) / "dev";
    std::error_code ec;
    fs::directory_iterator probe(dev, ec);
    if (ec) return false;

    const std::vector<std::string> entries = SortedNames(dev);
    auto add = [&](const std::string& path) { names.push_back(CString::FromUtf8(path)); };
    for (const std::string& n : entries) {
        if (HasPrefixAndNumber(n, "ttyS") && HasUart(base, n)) add("/dev/" + n);
    }
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        for (const std::string& n : entries) {
            if (HasPrefixAndNumber(n, prefix)) add("/dev/" + n);
        }
    }
    for (const std::string& n : SortedNames(dev / "serial" / "by-id")) add("/dev/serial/by-id/" + n);
    if (!serialOnly) {
        for (const std::string& n : entries) {
            if (HasPrefixAndNumber(n, "lp")) add("/dev/" + n);
        }
        for (const std::string& n : SortedNames(dev / "usb")) {
            if (HasPrefixAndNumber(n, "lp")) add("/dev/usb/" + n);
        }
    }
    return true;
}
