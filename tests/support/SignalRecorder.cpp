#include "SignalRecorder.h"

#include <QMetaMethod>

SignalRecorder::SignalRecorder(QObject *target)
{
    const QMetaObject *meta = target->metaObject();
    const QMetaMethod slot = metaObject()->method(metaObject()->indexOfSlot("record()"));
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        // The history's bookkeeping follows every change; its own tests watch it.
        if (method.methodType() == QMetaMethod::Signal && method.name() != "historyChanged")
            connect(target, method, this, slot);
    }
}

void SignalRecorder::record()
{
    m_names << QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).name());
}
