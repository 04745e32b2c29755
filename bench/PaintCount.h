// Paint events counted while a window benchmark times. What the user waits for ends with the window drawn,
// so a window benchmark whose timing holds no paint measures less than its name says: it reports the paints
// of an iteration as the counter "paints" and fails when there were none.
//
// Between the start of the loop and its end, pause with PauseTiming and ResumeTiming from here, so that the
// paints of the untimed parts are not counted either.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QHash>
#include <QObject>
#include <QWidget>

class TPaintCount final : public QObject {
public:
    TPaintCount() { qApp->installEventFilter(this); }

    // Counting on or off; the count itself stays until Reset.
    void Count(bool on) { FCounting = on; }
    void Reset() { FPaints = 0; }
    long long Paints() const { return FPaints; }
    // Paints of `window` or of a widget inside it since it was last shown, counted or not.
    long long PaintsOf(const QWidget* window) const { return FWindowPaints.value(window); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // A window shown anew (a dialog may come back at the address of one gone) starts from no paints.
        if (event->type() == QEvent::Show && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
            FWindowPaints.remove(static_cast<QWidget*>(watched));
        }
        if (event->type() == QEvent::Paint) {
            FPaints += FCounting ? 1 : 0;
            if (auto* widget = qobject_cast<QWidget*>(watched)) {
                ++FWindowPaints[widget->window()];
            }
        }
        return false;
    }

private:
    bool FCounting = false;
    long long FPaints = 0;
    QHash<const QWidget*, long long> FWindowPaints;
};

inline TPaintCount& ThePaintCount() {
    static TPaintCount* count = new TPaintCount;  // lives as long as the application object
    return *count;
}

// The counted part of a benchmark's loop: from here until EndPaintCount.
inline void BeginPaintCount() {
    ThePaintCount().Reset();
    ThePaintCount().Count(true);
}

// Ends the count and reports it per iteration; a benchmark that timed no paint fails.
inline void EndPaintCount(benchmark::State& state) {
    ThePaintCount().Count(false);
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["paints"] = iterations > 0 ? static_cast<double>(ThePaintCount().Paints()) / iterations : 0;
    if (ThePaintCount().Paints() == 0) {
        state.SkipWithError("no paint inside the timing: the window was not drawn");
    }
}

inline void PauseTiming(benchmark::State& state) {
    ThePaintCount().Count(false);
    state.PauseTiming();
}

inline void ResumeTiming(benchmark::State& state) {
    state.ResumeTiming();
    ThePaintCount().Count(true);
}

// Handles events until `window` has been painted since its count stood at `before` (0: since it was
// shown); false after a second without a paint.
inline bool WaitForPaint(const QWidget& window, long long before) {
    QElapsedTimer waited;
    waited.start();
    while (ThePaintCount().PaintsOf(&window) <= before) {
        if (waited.elapsed() > 1000) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}
