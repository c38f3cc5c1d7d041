-- Splitwerk database: the fifteen tables.
--
-- Declared types are chosen for two readers: SQLite's affinity rules and our
-- record-set layer, which types every value by the column's declared type.
--   autonumber  INTEGER PRIMARY KEY AUTOINCREMENT  (a deleted id is never handed out again)
--   l  INTEGER     d  DOUBLE     s  TEXT COLLATE NOCASE     m  LONGTEXT COLLATE NOCASE
--   dt DATE ('YYYY-MM-DD') or TIME ('HH:MM:SS')
--   f  BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0  (-1 true, 0 false; a NULL written becomes 0)
-- Foreign keys are checked only on connections that set PRAGMA foreign_keys = ON;
-- ours always do. Nothing cascades: the program deletes child rows itself.
-- No table name may contain "temp": start-up drops everything that does.

-- Reference tables ---------------------------------------------------------

CREATE TABLE tblCategory (
    lCategoryID     INTEGER PRIMARY KEY AUTOINCREMENT,
    sCategory       TEXT COLLATE NOCASE,
    sDescription    TEXT COLLATE NOCASE,
    mNotes          LONGTEXT COLLATE NOCASE,
    fSysLock        BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0
);

CREATE TABLE tblEvent (
    lEventID        INTEGER PRIMARY KEY AUTOINCREMENT,
    sEvent          TEXT COLLATE NOCASE,
    sDescription    TEXT COLLATE NOCASE,
    dtStartDate     DATE,
    dtEndDate       DATE,
    dtStartTime     TIME,
    dtEndTime       TIME,
    mNotes          LONGTEXT COLLATE NOCASE,
    fSysLock        BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0
);

CREATE TABLE tblSegmentType (
    lSegmentTypeID  INTEGER PRIMARY KEY AUTOINCREMENT,
    sSegmentType    TEXT COLLATE NOCASE,
    sDescription    TEXT COLLATE NOCASE,
    sComments       TEXT COLLATE NOCASE,
    fSysLock        BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0
);

CREATE TABLE tblRoster (
    lRosterID       INTEGER PRIMARY KEY AUTOINCREMENT,
    sLastName       TEXT COLLATE NOCASE,
    sFirstName      TEXT COLLATE NOCASE,
    sNickName       TEXT COLLATE NOCASE,
    fActive         BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0,
    mNotes          LONGTEXT COLLATE NOCASE,
    fSysLock        BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0
);

-- One row per athlete and category. A category that athletes still belong to
-- cannot be deleted, just like one that segments use.
CREATE TABLE tblRoster_Category (
    lRosterID       INTEGER NOT NULL,
    lCategoryID     INTEGER NOT NULL
                    REFERENCES tblCategory (lCategoryID) ON DELETE RESTRICT,
    PRIMARY KEY (lRosterID, lCategoryID)
);
CREATE INDEX idxRoster_Category_lCategoryID ON tblRoster_Category (lCategoryID);

-- Segments -----------------------------------------------------------------

-- The unit ids carry no foreign key on purpose: an unknown unit falls back
-- to factor 1 when the derived columns are worked out.
CREATE TABLE tblSegment (
    lSegmentID      INTEGER PRIMARY KEY AUTOINCREMENT,
    lSegmentTypeID  INTEGER REFERENCES tblSegmentType (lSegmentTypeID) ON DELETE RESTRICT,
    lEventID        INTEGER REFERENCES tblEvent (lEventID) ON DELETE RESTRICT,
    lCategoryID     INTEGER REFERENCES tblCategory (lCategoryID) ON DELETE RESTRICT,
    lRateTypeID     INTEGER,
    lSpeedTypeID    INTEGER,
    lDistanceTypeID INTEGER,
    sSegmentLabel   TEXT COLLATE NOCASE,
    dtImportDate    DATE,
    dtSegmentDate   DATE,
    dtSegmentTime   TIME,
    fReviewed       BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0,
    mNotes          LONGTEXT COLLATE NOCASE
);
-- Child-side indexes keep a parent delete from scanning every segment.
CREATE INDEX idxSegment_lSegmentTypeID ON tblSegment (lSegmentTypeID);
CREATE INDEX idxSegment_lEventID ON tblSegment (lEventID);
CREATE INDEX idxSegment_lCategoryID ON tblSegment (lCategoryID);
CREATE INDEX idxSegment_dtImportDate ON tblSegment (dtImportDate);
CREATE INDEX idxSegment_dtSegmentDate ON tblSegment (dtSegmentDate);
-- The search by segment number. The review flag has no index on purpose:
-- half the segments match either value, and an index would draw the planner
-- away from a date or category index that narrows far more.
CREATE INDEX idxSegment_sSegmentLabel ON tblSegment (sSegmentLabel);

-- Time rows ("T" + 3 digits) and rate rows ("R" + 3 digits) of a segment.
-- lRosterId 1 is the placeholder athlete.
CREATE TABLE tblSegmentDetail (
    lSegmentDetailID    INTEGER PRIMARY KEY AUTOINCREMENT,
    lSegmentID          INTEGER,
    lOrdinalPosition    INTEGER,
    sSegmentDetailLabel TEXT COLLATE NOCASE,
    dCumTime            DOUBLE,
    dRate               DOUBLE,
    dDistance           DOUBLE,
    lRosterId           INTEGER,
    sComments           TEXT COLLATE NOCASE
);
-- Rows are always loaded in time order. The athlete index serves the "is
-- this athlete still used" check and the search by last name, which asks
-- for the segments of the matching athletes' rows: it holds the segment id,
-- so that search never reads the rows themselves.
CREATE INDEX idxSegmentDetail_lSegmentID_dCumTime ON tblSegmentDetail (lSegmentID, dCumTime);
CREATE INDEX idxSegmentDetail_lRosterId_lSegmentID ON tblSegmentDetail (lRosterId, lSegmentID);

-- Staging tables of the last download ---------------------------------------

-- Column order matters: the review save copies every column between the
-- first (lSegmentID) and the last (fSave) into a segment by name, so each of
-- them must be named like a tblSegment column.
CREATE TABLE tblImportSegment (
    lSegmentID      INTEGER PRIMARY KEY AUTOINCREMENT,
    sSegmentLabel   TEXT COLLATE NOCASE,
    dtImportDate    DATE,
    dtSegmentDate   DATE,
    dtSegmentTime   TIME,
    lSegmentTypeID  INTEGER,
    lCategoryID     INTEGER,
    lRateTypeID     INTEGER,
    lSpeedTypeID    INTEGER,
    lDistanceTypeID INTEGER,
    mNotes          LONGTEXT COLLATE NOCASE,
    fSave           BOOLEAN NOT NULL ON CONFLICT REPLACE DEFAULT 0
);

-- The download never fills dDistance; Null shows as an empty cell rather
-- than a distance of 0 after the rows are saved.
CREATE TABLE tblImportSegmentDetail (
    lSegmentDetailID    INTEGER PRIMARY KEY AUTOINCREMENT,
    lSegmentID          INTEGER,
    sSegmentDetailLabel TEXT COLLATE NOCASE,
    lOrdinalPosition    INTEGER,
    dCumTime            DOUBLE,
    dRate               DOUBLE,
    dDistance           DOUBLE DEFAULT NULL,
    sComments           TEXT COLLATE NOCASE
);
CREATE INDEX idxImportSegmentDetail_lSegmentID_Label
    ON tblImportSegmentDetail (lSegmentID, sSegmentDetailLabel);

-- Units, read only -----------------------------------------------------------
-- Distance factor: units per metre. Time factor: units per second.
-- Rate factor: turns seconds per cycle into the shown unit.
-- "Significant digits" are the decimal places the shown value is rounded to.

CREATE TABLE tblRateType (
    lRateTypeID         INTEGER PRIMARY KEY,
    sRateType           TEXT COLLATE NOCASE,
    dfactor             DOUBLE,
    lSignificantDigits  INTEGER,
    sGridHeaderText     TEXT COLLATE NOCASE
);

CREATE TABLE tblDistanceType (
    lDistanceTypeID     INTEGER PRIMARY KEY,
    sDistanceType       TEXT COLLATE NOCASE,
    dfactor             DOUBLE,
    lSignificantDigits  INTEGER,
    sGridHeaderText     TEXT COLLATE NOCASE
);

CREATE TABLE tblTimeType (
    lTimeTypeID         INTEGER PRIMARY KEY,
    dfactor             DOUBLE
);

CREATE TABLE tblSpeedType (
    lSpeedTypeID        INTEGER PRIMARY KEY,
    sSpeedType          TEXT COLLATE NOCASE,
    lDistanceTypeID     INTEGER,
    lTimeTypeID         INTEGER,
    lSignificantDigits  INTEGER,
    sGridHeaderText     TEXT COLLATE NOCASE
);

-- Distance per stroke: one row per distance unit.
CREATE TABLE tblDIPSType (
    lDistanceTypeID     INTEGER PRIMARY KEY,
    lSignificantDigits  INTEGER,
    sGridHeaderText     TEXT COLLATE NOCASE
);

-- Settings ------------------------------------------------------------------

CREATE TABLE tblSysStrings (
    lStringID           INTEGER PRIMARY KEY,
    sString             TEXT COLLATE NOCASE
);
