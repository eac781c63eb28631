#pragma once

#include <QObject>

#include <atomic>

// Start-up figures for scripts/measure-startup, silent unless CORVANE_STARTUP_PROBE is set. Then it
// prints "startup-probe shown MS" on the window's first frame, "startup-probe complete MS" on the
// first frame that holds the whole first page, "startup-probe loaded MS" once the libraries are
// loaded, "startup-probe ready MS" once that frame is out and the libraries are loaded,
// "startup-probe peak-kb KB" (the process's peak resident memory), and
// quits the application with 0. MS are milliseconds since the epoch.
class StartupProbe : public QObject
{
    Q_OBJECT
public:
    explicit StartupProbe(QObject *parent = nullptr);

    // Follows the frames of window, a QQuickWindow. Its first page is complete when it emits
    // pageSignal (as SIGNAL() gives it), or without one on its first frame.
    void Watch(QObject *window, const char *pageSignal = nullptr);

public slots:
    // The libraries are completely loaded.
    void loaded();

private slots:
    // From the render thread (direct connections): a queued call would wait for the window's
    // thread to be free, and a frame holds what the scene had when it was synchronised.
    void frameSynced();
    void frameSwapped();
    void pageComplete();

private:
    void Shown(qint64 ms);
    void Complete(qint64 ms);
    void Finish();

    const bool m_bOn;
    std::atomic<bool> m_bFrameSeen{false};
    std::atomic<bool> m_bPageDone{false};
    std::atomic<bool> m_bPageSynced{false};
    std::atomic<bool> m_bCompleteSeen{false};
    bool m_bComplete = false;
    bool m_bLoaded = false;
};
