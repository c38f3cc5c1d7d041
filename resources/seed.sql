-- Splitwerk database: the rows it ships with.

-- Built-in rows. Every new or imported segment defaults to id 1 of category,
-- event and segment type, and every imported row to athlete 1, so these rows
-- carry fSysLock: the reference windows never list them for editing or deleting.
INSERT INTO tblRoster (lRosterID, sLastName, sFirstName, fActive, fSysLock)
    VALUES (1, 'All Competitors', '', -1, -1);
-- Category 2 holds every athlete and is never offered in the search.
INSERT INTO tblCategory (lCategoryID, sCategory, sDescription, fSysLock)
    VALUES (1, 'Unassigned', 'Segments and athletes with no other category', -1),
           (2, 'All Athletes', 'Every athlete belongs here', -1);
INSERT INTO tblEvent (lEventID, sEvent, sDescription, fSysLock)
    VALUES (1, 'Unassigned', 'Segments recorded outside any event', -1);
INSERT INTO tblSegmentType (lSegmentTypeID, sSegmentType, sDescription, fSysLock)
    VALUES (1, 'Unassigned', 'Segments of no particular type', -1);

-- Settings. The program only ever UPDATEs rows 110 and 200, so they must
-- exist; 170 and 180 must not be empty or start-up refuses to go on.
INSERT INTO tblSysStrings (lStringID, sString) VALUES
    (100, '30'),               -- seconds to wait for the watch to wake
    (110, '1'),                -- serial port number
    (115, 'splitwerk.html'),   -- help file, in the program folder
    (120, ''),                 -- optional file replacing the time-out message
    (130, ''),                 -- optional file replacing the download instructions
    (170, 'splitwerk.ini'),    -- strings file, in the program folder
    (180, 'English'),          -- its section
    (200, '1'),                -- default rate unit
    (210, '1'),                -- default speed unit
    (220, '1'),                -- default distance unit
    (230, '4'),                -- decimal places when a unit has no row
    (8002, 'Invalid Com Port'),
    (8007, 'Baud rate not supported for selected com port'),
    (8013, 'Port already open');

-- Units. Factors are written as exact fractions of the defining lengths so
-- nothing is lost to a rounded decimal.
INSERT INTO tblRateType (lRateTypeID, sRateType, dfactor, lSignificantDigits, sGridHeaderText) VALUES
    (1, 'Seconds/Cycle', 1.0, 2, 'Rate (s/cyc)'),      -- factor 1: typed rates are stored as they are
    (2, 'Strokes/Minute', 60.0, 1, 'Rate (str/min)');

INSERT INTO tblDistanceType (lDistanceTypeID, sDistanceType, dfactor, lSignificantDigits, sGridHeaderText) VALUES
    (1, 'Meters', 1.0, 1, 'Dist (m)'),
    (2, 'Kilometers', 1.0 / 1000, 3, 'Dist (km)'),
    (3, 'Miles', 1.0 / 1609.344, 3, 'Dist (mi)'),
    (4, 'Yards', 1.0 / 0.9144, 1, 'Dist (yd)'),
    (5, 'Feet', 1.0 / 0.3048, 1, 'Dist (ft)');

INSERT INTO tblTimeType (lTimeTypeID, dfactor) VALUES
    (1, 1.0),             -- seconds
    (2, 1.0 / 60),        -- minutes
    (3, 1.0 / 3600);      -- hours

-- Speed 4 goes with feet (distance 5) and speed 5 with yards (distance 4).
INSERT INTO tblSpeedType (lSpeedTypeID, sSpeedType, lDistanceTypeID, lTimeTypeID, lSignificantDigits, sGridHeaderText) VALUES
    (1, 'm/sec', 1, 1, 2, 'Speed (m/s)'),
    (2, 'km/hr', 2, 3, 2, 'Speed (km/h)'),
    (3, 'mph', 3, 3, 2, 'Speed (mph)'),
    (4, 'ft/min', 5, 2, 1, 'Speed (ft/min)'),
    (5, 'yard/min', 4, 2, 1, 'Speed (yd/min)');

INSERT INTO tblDIPSType (lDistanceTypeID, lSignificantDigits, sGridHeaderText) VALUES
    (1, 2, 'DiPS (m)'),
    (2, 4, 'DiPS (km)'),
    (3, 5, 'DiPS (mi)'),
    (4, 2, 'DiPS (yd)'),
    (5, 2, 'DiPS (ft)');
