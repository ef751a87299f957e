#include "state/clock.h"

#include <QElapsedTimer>

qint64 monotonicMs() {
    static const QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return since.elapsed();
}
