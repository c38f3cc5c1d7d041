#pragma once

#include <QString>

// One registered window procedure.
class clsActiveProc {
public:
    QString ModuleName;
    QString ProcName;
    QString TaskName;
    qint32 MsgBoxType = 0;
};
