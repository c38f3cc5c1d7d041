#include "FakeChildren.h"
#include "ShellFixture.h"

#include "app/clsStrings.h"

QString ShellTest::setting(qint32 id) const { return app->Strings_po()->SysStringFromID_pf(id, QStringLiteral("?")); }

#include "moc_FakeChildren.cpp"
