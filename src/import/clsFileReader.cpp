#include "import/clsFileReader.h"

#include "app/clsHourglass.h"
#include "app/clsStrings.h"
#include "app/clsThisApp.h"
#include "app/modapp.h"
#include "data/clsAdoConnectJet.h"
#include "import/ImportSql.h"
#include "import/WatchImageFile.h"
#include "import/clsImportSegment.h"
#include "import/clsImportSegmentDetail.h"
#include "platform/AppError.h"
#include "platform/AppInfo.h"

#include <QDir>

namespace {
const QString Source = QStringLiteral("clsFileReader");

// Units every imported segment gets, from the settings.
constexpr qint32 RateTypeSetting = 200;
constexpr qint32 SpeedTypeSetting = 210;
constexpr qint32 DistanceTypeSetting = 220;
}  // namespace

clsFileReader::clsFileReader() : m_fileName(defaultImagePath()) {}

clsFileReader::~clsFileReader() = default;

QString clsFileReader::defaultImagePath() { return QDir(AppInfo::path()).filePath(QStringLiteral("temp.bin")); }

clsAdoConnectJet& clsFileReader::connection() const
{
    if (!DatabaseConnection)
        throw AppError(ImportSql::ObjectNotSet, QStringLiteral("Object variable or With block variable not set"),
                       Source);
    return *DatabaseConnection;
}

bool clsFileReader::ClearImportTables_pf()
{
    return withErrorSource(Source + QStringLiteral(".ClearImportTables_pf"), [&] {
        clsAdoConnectJet* conn = DatabaseConnection;
        if (!conn && modapp::ThisApp())
            conn = modapp::ThisApp()->DatabaseAdo_Po();
        if (!conn)
            throw AppError(ImportSql::ObjectNotSet, QStringLiteral("Object variable or With block variable not set"),
                           Source);
        // Both tables or neither: a half-cleared stage would mix two downloads.
        conn->BeginTrans_pf();
        try {
            conn->SQLExecute_pl(QStringLiteral("Delete From tblImportSegment WHERE 1"));
            conn->SQLExecute_pl(QStringLiteral("Delete From tblImportSegmentDetail WHERE 1"));
        } catch (...) {
            try {
                conn->Rollback_pf();
            } catch (...) {
            }
            throw;
        }
        conn->CommitTrans_pf();
        return true;
    });
}

qint32 clsFileReader::unitSetting(qint32 id) const
{
    clsStrings strings;
    strings.DatabaseConnection(DatabaseConnection);
    // A setting that is no number raises 13 here, before anything is written.
    return Value(strings.SysStringFromID_pf(id, QStringLiteral("1"))).toLong();
}

bool clsFileReader::ProcessFile_mf(const QString& imagePath)
{
    FileName(imagePath);
    return ProcessFile_mf();
}

bool clsFileReader::ProcessFile_mf()
{
    m_skipped.clear();
    return withErrorSource(Source + QStringLiteral(".ProcessFile_mf"), [&] {
        clsHourglass busy;
        clsAdoConnectJet& conn = connection();

        // Bytes only: any text conversion would damage 0x80 and above.
        const QByteArray bytes = WatchImageFile::read(m_fileName);

        m_rateTypeID = unitSetting(RateTypeSetting);
        m_speedTypeID = unitSetting(SpeedTypeSetting);
        m_distanceTypeID = unitSetting(DistanceTypeSetting);

        const WatchImage::Content content = WatchImage::decode(bytes);
        m_skipped = content.skipped;
        if (!content.hasData)
            return false;
        writeContent(conn, content);
        return true;
    });
}

void clsFileReader::writeContent(clsAdoConnectJet& conn, const WatchImage::Content& content)
{
    // One transaction keeps a full image to a single sync; it is committed on
    // the error path too, so what was written before the error stays.
    conn.BeginTrans_pf();
    try {
        for (const WatchImage::Segment& segment : content.segments) {
            writeSegment(segment);
            for (const WatchImage::Row& row : segment.rows)
                writeRow(row);
            if (segment.dropped)
                m_segment->Delete_Pf();
        }
    } catch (...) {
        try {
            conn.CommitTrans_pf();
        } catch (...) {
            try {
                conn.Rollback_pf();
            } catch (...) {
            }
        }
        throw;
    }
    conn.CommitTrans_pf();
}

void clsFileReader::writeSegment(const WatchImage::Segment& segment)
{
    m_segment = std::make_unique<clsImportSegment>();
    m_segment->SegmentDate(segment.date);
    m_segment->SegmentTime(segment.time);
    m_segment->SegmentLabel(segment.label);
    m_segment->ImportDate(m_importDate);
    m_segment->RateTypeID(m_rateTypeID);
    m_segment->SpeedTypeID(m_speedTypeID);
    m_segment->DistanceTypeID(m_distanceTypeID);
    m_segment->DatabaseConnection = DatabaseConnection;
    m_segment->Save_pf();
}

void clsFileReader::writeRow(const WatchImage::Row& row)
{
    m_row = std::make_unique<clsImportSegmentDetail>();
    m_row->CumTime(row.cumTime);
    if (row.isRate)
        m_row->Rate(row.rate);
    m_row->SegmentDetailLabel(row.label);
    m_row->OrdinalPosition(row.ordinal);
    if (row.ordinal == 0)
        m_row->Distance(0);
    m_row->Segment(m_segment.get());
    m_row->Save_pf();
}
