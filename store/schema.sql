-- The database delivered with the program: the company's requisites (one row,
-- filled in by the user) and the archive of saved payment orders.
-- Columns are read by position, so their order must stay as it is.

CREATE TABLE firma (
    num      INTEGER PRIMARY KEY,
    firma    TEXT,
    kodfirma TEXT,
    bank     TEXT,
    kodbank  TEXT,
    rsbank   TEXT
);

INSERT INTO firma (num, firma, kodfirma, bank, kodbank, rsbank)
    VALUES (1, '', '', '', '', '');

-- No unique index on id: a new order is numbered by the row count plus one,
-- which can repeat a stored number after a deletion.
CREATE TABLE arc (
    id      INTEGER,
    suma    TEXT,
    oderz   TEXT,
    idoderz TEXT,
    bank    TEXT,
    idbank  TEXT,
    kredit  TEXT,
    oznaka  TEXT,
    datazap TEXT
);

-- A plain (not unique) index on the number: counting the orders and finding
-- the largest number read the index instead of the whole archive. Other
-- programs that open the file see the same two tables as before.
CREATE INDEX arc_id ON arc (id);
