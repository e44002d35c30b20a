#pragma once

#include <QString>
#include <QStringList>

namespace seiran {

// A message that an operation of the data layer must show to the user while it runs (it goes
// on afterwards). The GUI shows a message box; tests record the texts.
class INotice
{
public:
    virtual ~INotice() = default;
    virtual void notice(const QString& text) = 0;
};

class SilentNotice final : public INotice
{
public:
    void notice(const QString&) override {}
};

class RecordingNotice final : public INotice
{
public:
    void notice(const QString& text) override { texts.append(text); }
    QStringList texts;
};

} // namespace seiran
