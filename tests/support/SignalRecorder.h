#pragma once

#include <QObject>
#include <QStringList>

// Records, in order, the name of every signal that the target's own class declares (but the
// history's historyChanged), so that a
// test can compare the whole sequence an operation emits.
class SignalRecorder : public QObject
{
    Q_OBJECT
public:
    explicit SignalRecorder(QObject *target);
    QStringList names() const { return m_names; }
    void clear() { m_names.clear(); }

private slots:
    void record();

private:
    QStringList m_names;
};
