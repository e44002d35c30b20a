#pragma once

#include <QString>

namespace seiran {

// Who this process is, as the grade lock records it: the PC's host name, its machine id and boot
// id (empty where the system gives none; an empty id is never compared) and the process id.
struct HostIdentity
{
    QString host;
    QString machineId;
    QString bootId;
    qint64 pid = 0;
};

HostIdentity CurrentHostIdentity();

// Whether process `pid` of this PC still runs a program of this package: its name begins with
// "seiran", or it was started from the folder this program runs from (the test and benchmark
// programs beside the commands). A process id reused by anything else counts as gone.
bool SeiranProcessRuns(qint64 pid);

// The name the user logged in with; "" when the system does not say.
QString LoginUserName();

} // namespace seiran
