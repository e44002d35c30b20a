#pragma once

// Keystrokes as the user makes them, timed one by one, for the benches of the entry screens.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

// One keystroke: the key event (a digit or letter `text`, Return its "\r", 0 for a key that types
// nothing), then whatever it made the window repaint. Nanoseconds.
inline double TimedKey(QWidget* target, Qt::Key key, char text)
{
    QElapsedTimer timer;
    timer.start();
    const QString str = text ? QString(QChar::fromLatin1(text)) : QString();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Return ? QStringLiteral("\r") : str);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, str);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed());
}

// The times of a run of keystrokes, reported as the counters keystrokes, mean_us, p99_us and max_us.
struct KeyTimings
{
    std::vector<double> ns;

    void add(double v) { ns.push_back(v); }
    double mean() const
    {
        double sum = 0;
        for (double v : ns)
            sum += v;
        return ns.empty() ? 0 : sum / double(ns.size());
    }
    double max() const { return ns.empty() ? 0 : *std::max_element(ns.begin(), ns.end()); }
    double percentile(double p) const
    {
        if (ns.empty()) return 0;
        std::vector<double> sorted = ns;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::size_t(p * double(sorted.size() - 1))];
    }
    void report(benchmark::State& state) const
    {
        state.counters["keystrokes"] = double(ns.size());
        state.counters["mean_us"] = mean() / 1000.0;
        state.counters["p99_us"] = percentile(0.99) / 1000.0;
        state.counters["max_us"] = max() / 1000.0;
    }
};
