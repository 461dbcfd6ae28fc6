#pragma once
#include "pipeline/owedwholes.h"

#include <QObject>

namespace tetrafot {

// Hands each whole decode behind a part over as it ends, with what it
// brought. The pipeline emits on the thread that decoded (a worker, or the
// one that waited for the whole); connect with Qt::QueuedConnection to
// receive it on the receiver's thread. A decode that went stale is not
// handed over: it is owed again.
class WholeHandOff : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void wholeReady(const WholeResult& result);
};

} // namespace tetrafot
