#pragma once

#include <QString>
#include <QStringList>

namespace seiran {

// Status text and progress bar of a long operation. The main window shows them in its status
// bar; loaders and savers of the data layer only see this interface.
class IProgress
{
public:
    virtual ~IProgress() = default;
    virtual void setStatusText(const QString& text) = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void setValue(int value) = 0;
    virtual void setVisible(bool visible) = 0;
};

// Progress that goes nowhere (command-line tools, benchmarks).
class NullProgress final : public IProgress
{
public:
    void setStatusText(const QString&) override {}
    void setMaximum(int) override {}
    void setValue(int) override {}
    void setVisible(bool) override {}
    static NullProgress& instance();
};

// Progress that remembers what it was told (tests).
class RecordingProgress final : public IProgress
{
public:
    void setStatusText(const QString& text) override { statusTexts.append(text); }
    void setMaximum(int maximum) override { lastMaximum = maximum; }
    void setValue(int value) override
    {
        lastValue = value;
        ++valueCount;
    }
    void setVisible(bool visible) override { this->visible = visible; }

    QStringList statusTexts;
    int lastMaximum = 0;
    int lastValue = 0;
    int valueCount = 0;
    bool visible = false;
};

} // namespace seiran
