#include "sim/faults.h"

#include "state/protocol.h"

#include <QCoreApplication>
#include <QStringList>

namespace sim {

const char* const Faults::kSyntax =
    "chatter:N (input N flips in every burst), silent:M (module M never reports), "
    "zero:M (module M reports all inactive), missing:M (module M's report is left out of "
    "each burst that announces it), noise:S (every S seconds a burst flips half the inputs), "
    "swap:N,M (inputs N and M are wired the wrong way round)";

std::optional<QString> Faults::add(const QString& given) {
    const QStringList parts = given.split(u':');
    bool ok = false;
    const int value = parts.size() == 2 ? parts[1].toInt(&ok) : 0;
    const QString kind = parts.value(0);
    const auto bad = [&](const QString& want) {
        return QCoreApplication::translate("faults", "%1: expected %2").arg(given, want);
    };
    if (kind == u"chatter") {
        if (!ok || value < 1 || value >= int(chatter.size()))
            return bad(
                QCoreApplication::translate("faults", "chatter:N with N an input from 1 to %1")
                    .arg(chatter.size() - 1));
        chatter.set(std::size_t(value));
        return std::nullopt;
    }
    if (kind == u"silent" || kind == u"zero" || kind == u"missing") {
        if (!ok || value < 1 || value > Pattern::kMaxModules)
            return bad(QCoreApplication::translate("faults", "%1:M with M a module from 1 to 255")
                           .arg(kind));
        (kind == u"silent" ? silent : kind == u"zero" ? zero : missing).set(std::size_t(value));
        return std::nullopt;
    }
    if (kind == u"noise") {
        if (!ok || value < 1)
            return bad(QCoreApplication::translate("faults", "noise:S with S seconds, 1 or more"));
        noiseSeconds = value;
        return std::nullopt;
    }
    if (kind == u"swap") {
        const QStringList inputs = parts.value(1).split(u',');
        bool okA = false;
        bool okB = false;
        const int a = inputs.value(0).toInt(&okA);
        const int b = inputs.value(1).toInt(&okB);
        const int last = int(chatter.size()) - 1;
        if (parts.size() != 2 || inputs.size() != 2 || !okA || !okB || a == b || a < 1 || b < 1 ||
            a > last || b > last)
            return bad(
                QCoreApplication::translate("faults", "swap:N,M with two inputs from 1 to %1")
                    .arg(last));
        swaps.emplace_back(a, b);
        return std::nullopt;
    }
    return QCoreApplication::translate("faults", "%1: unknown fault; one of %2")
        .arg(given, QLatin1String(kSyntax));
}

// The module's inputs with the swapped wires: an input of the module that is swapped shows
// the state of its partner.
quint16 Faults::wired(const Pattern& pattern, int module) const {
    quint16 bits = pattern.moduleInputs(module);
    const int first = protocol::inputOf(module, 1);
    const auto show = [&](int input, int from) {
        const int k = input - first;
        if (k < 0 || k >= Pattern::kInputsPerModule)
            return;
        const quint16 bit = quint16(1u << k);
        bits = pattern.isActive(from) ? quint16(bits | bit) : quint16(bits & ~bit);
    };
    for (const auto& [a, b] : swaps) {
        show(a, b);
        show(b, a);
    }
    return bits;
}

void Faults::appendBurst(QByteArray& out, const Pattern& pattern, quint64 burst,
                         QRandomGenerator* noise) const {
    const int modules = pattern.modules();
    int announced = 0;
    for (int m = 1; m <= modules; ++m)
        announced += silent.test(std::size_t(m)) ? 0 : 1;
    protocol::appendBurstStart(out, announced);
    for (int m = 1; m <= modules; ++m) {
        if (silent.test(std::size_t(m)) || missing.test(std::size_t(m)))
            continue;
        quint16 bits = zero.test(std::size_t(m)) ? 0 : wired(pattern, m);
        const int first = protocol::inputOf(m, 1);
        for (int k = 0; k < Pattern::kInputsPerModule; ++k) {
            if (chatter.test(std::size_t(first + k)) && (burst & 1))
                bits ^= quint16(1u << k);
        }
        if (noise)
            bits ^= quint16(noise->generate());
        protocol::appendReport(out, m, bits);
    }
}

} // namespace sim
