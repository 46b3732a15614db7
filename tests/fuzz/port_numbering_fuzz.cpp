// Any set of comN links and system ports: every port gets one number, numbers are unique and
// ascending, links keep theirs, and the orders the numbering sorts by are strict weak orders.
#include "FuzzCheck.h"

#include "platform/PortNumbering.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>

namespace {

using Less = std::function<bool(const QString &, const QString &)>;

// Irreflexive, asymmetric, transitive, and "neither is less" transitive too: what std::sort needs.
void checkStrictWeakOrder(const Less &less, const QString &a, const QString &b, const QString &c) {
    const auto equivalent = [&](const QString &x, const QString &y) {
        return !less(x, y) && !less(y, x);
    };
    FUZZ_CHECK(!less(a, a));
    FUZZ_CHECK(!(less(a, b) && less(b, a)));
    if (less(a, b) && less(b, c))
        FUZZ_CHECK(less(a, c));
    if (equivalent(a, b) && equivalent(b, c))
        FUZZ_CHECK(equivalent(a, c));
}

// Lines of the input: "L<n>target" is a link numbered by the byte n (n odd: it reaches a device
// of the same name), anything else a device the system lists. Text is UTF-8, so names may carry
// any script's digits.
void parse(const QByteArray &bytes, QList<PortLink> &links, QStringList &system) {
    for (const QByteArray &line : bytes.split('\n')) {
        if (line.size() >= 2 && line[0] == 'L') {
            const int number = uint8_t(line[1]);
            const QString target = QStringLiteral("/dev/") + QString::fromUtf8(line.mid(2));
            links << PortLink{number, target, (number & 1) ? target : QString()};
        } else {
            system << QStringLiteral("/dev/") + QString::fromUtf8(line);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QList<PortLink> links;
    QStringList system;
    parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), links, system);
    if (system.size() > 24)
        return 0; // the orders are checked on every triple below

    const QList<NumberedPort> ports = numberPorts(links, system);
    for (qsizetype i = 1; i < ports.size(); ++i)
        FUZZ_CHECK(ports[i - 1].number < ports[i].number);

    std::set<int> seenLinks;
    QStringList reached;
    for (const PortLink &link : links) {
        if (seenLinks.insert(link.number).second) { // the first link of a number holds it
            const bool listed = std::any_of(ports.begin(), ports.end(), [&](const NumberedPort &p) {
                return p.number == link.number && p.shownPath == link.target &&
                       p.device == link.device;
            });
            FUZZ_CHECK(listed);
            if (!link.device.isEmpty())
                reached << link.device;
        }
    }
    for (const QString &device : system) {
        const qsizetype times = std::count_if(
            ports.begin(), ports.end(), [&](const NumberedPort &p) { return p.device == device; });
        FUZZ_CHECK(times >= 1);
        if (!reached.contains(device))
            FUZZ_CHECK(times == 1);
    }
    QStringList unreached = system;
    unreached.removeDuplicates();
    unreached.removeIf([&](const QString &device) { return reached.contains(device); });
    FUZZ_CHECK(ports.size() == qsizetype(seenLinks.size()) + unreached.size());

    for (const QString &a : system)
        for (const QString &b : system)
            for (const QString &c : system) {
                checkStrictWeakOrder(naturalLess, a, b, c);
                checkStrictWeakOrder(portListLess, a, b, c);
            }
    return 0;
}
