#pragma once

#include <QObject>

#include <atomic>

// Start-up figures for scripts/measure-startup, silent unless CORVANE_STARTUP_PROBE is set. Then it
// prints "startup-probe shown MS" on the window's first frame, "startup-probe ready MS" once that
// frame is out and the libraries are loaded, "startup-probe peak-kb KB" (the process's peak resident
// memory), and quits the application with 0. MS are milliseconds since the epoch.
class StartupProbe : public QObject
{
    Q_OBJECT
public:
    explicit StartupProbe(QObject *parent = nullptr);

    bool IsOn() const { return m_bOn; }

public slots:
    // Connect it to QQuickWindow::frameSwapped with Qt::DirectConnection: the signal may come from
    // the render thread, and a queued call would wait for the window's thread to be free.
    void frameSwapped();
    // The libraries are completely loaded.
    void loaded();

private:
    void Shown(qint64 ms);
    void Finish();

    const bool m_bOn;
    std::atomic<bool> m_bFrameSeen{false};
    bool m_bShown = false;
    bool m_bLoaded = false;
};
