#pragma once

#include "import/WatchImage.h"

#include <QDate>
#include <QString>

#include <memory>

class clsAdoConnectJet;
class clsImportSegment;
class clsImportSegmentDetail;

// Turns the downloaded memory image into staging rows: the bytes are decoded
// by WatchImage, then every segment and row goes through the import records
// inside one transaction.
class clsFileReader {
public:
    // The record-set connection, handed to every import record.
    clsAdoConnectJet* DatabaseConnection = nullptr;

    clsFileReader();  // the image is the program folder's temp.bin
    ~clsFileReader();
    clsFileReader(const clsFileReader&) = delete;
    clsFileReader& operator=(const clsFileReader&) = delete;

    QString FileName() const { return m_fileName; }
    void FileName(const QString& path) { m_fileName = path; }
    QDate ImportDate_pdt() const { return m_importDate; }
    void ImportDate_pdt(const QDate& date) { m_importDate = date; }

    // Empties both staging tables, on the parser's connection when set, else
    // on the application's.
    bool ClearImportTables_pf();

    // Parses the image into the staging tables: false when the image holds
    // nothing to import. A segment whose start is no date and time is left
    // out (see SkippedSegments) and the others imported. Rows written before
    // an error stay; the error reaches the caller with this member as its
    // source.
    bool ProcessFile_mf();
    bool ProcessFile_mf(const QString& imagePath);
    // The segments the last parse left out.
    const QList<WatchImage::SkippedSegment>& SkippedSegments() const { return m_skipped; }

    // The default image path: <program folder>/temp.bin.
    static QString defaultImagePath();

private:
    clsAdoConnectJet& connection() const;
    qint32 unitSetting(qint32 id) const;
    void writeContent(clsAdoConnectJet& conn, const WatchImage::Content& content);
    void writeSegment(const WatchImage::Segment& segment);
    void writeRow(const WatchImage::Row& row);

    std::unique_ptr<clsImportSegment> m_segment;
    std::unique_ptr<clsImportSegmentDetail> m_row;
    QList<WatchImage::SkippedSegment> m_skipped;
    QString m_fileName;
    qint32 m_rateTypeID = 0;
    qint32 m_speedTypeID = 0;
    qint32 m_distanceTypeID = 0;
    QDate m_importDate{1899, 12, 30};
};
