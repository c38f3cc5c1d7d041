#pragma once

#include "data/clsAdoConnectJet.h"
#include "platform/Connection.h"
#include "platform/Value.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>

// A fixture database and an open record-set connection on it.
class ImportTestDb : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.makeProgramFiles());
        ado.UDL(folder.udlPath());
        ASSERT_TRUE(ado.OpenConnection_pf());
    }

    Value scalar(const QString& sql, const QList<Value>& p = {}) { return ado.Connection()->ExecuteScalar(sql, p); }
    qint64 count(const QString& table) { return scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toLong(); }

    TempProgramFolder folder;
    clsAdoConnectJet ado;
};
