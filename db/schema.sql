-- Zentavo database schema: thirteen tables in one SQLite file.
--
-- Declared types are the ones the data layer maps to field kinds:
--   integer     -> integer
--   date        -> date        (stored as the text yyyy-mm-dd)
--   varchar(n)  -> text of at most n characters (Windows-1250 bytes)
-- The records declare their fields with exactly these kinds and lengths, and
-- opening a record set fails on a column of another kind, so keep them.
--
-- Identifier columns (named like their table) are plain integers, not primary
-- keys: the program allocates them itself as MAX(id) + 1 and locates rows by
-- SQLite's rowid. Each one is indexed so that MAX(id) is a single index probe.
-- Sort-key columns (a marked column's name with "s" appended, 20 characters)
-- hold the accent- and case-folded key the lists order by; they are indexed
-- together with the link columns the filters use.
--
-- This file must stay plain ASCII: it is run through the Windows-1250 encoder.

-- Tasks.
CREATE TABLE dolog3 (
  dolog3        integer,
  datum         date,
  dat_hatid     date,
  rovid         varchar(50),
  leiras        varchar(2048),
  ugyfel        integer,
  ugyfel_nev    varchar(75),
  termek        integer,
  termek_nev    varchar(75),
  projekt       integer,
  projekt_nev   varchar(75),
  fontos        integer,
  fileban       varchar(255),
  kesz          varchar(1),
  dat_kesz      date,
  statusz       integer,
  rovids        varchar(20),
  ugyfel_nevs   varchar(20),
  termek_nevs   varchar(20),
  projekt_nevs  varchar(20)
);
CREATE INDEX ix_dolog3_dolog3 ON dolog3(dolog3);
-- The task list opens as "kesz='N'" ordered by deadline.
CREATE INDEX ix_dolog3_kesz ON dolog3(kesz, dat_hatid);
CREATE INDEX ix_dolog3_dat_hatid ON dolog3(dat_hatid);
CREATE INDEX ix_dolog3_ugyfel ON dolog3(ugyfel);
CREATE INDEX ix_dolog3_termek ON dolog3(termek);
CREATE INDEX ix_dolog3_projekt ON dolog3(projekt);
CREATE INDEX ix_dolog3_rovids ON dolog3(rovids);
CREATE INDEX ix_dolog3_ugyfel_nevs ON dolog3(ugyfel_nevs);
CREATE INDEX ix_dolog3_termek_nevs ON dolog3(termek_nevs);
CREATE INDEX ix_dolog3_projekt_nevs ON dolog3(projekt_nevs);

-- Calendar entries.
CREATE TABLE dolog1 (
  dolog1        integer,
  datum         date,
  datumstr      varchar(8),
  ora           integer,
  rovid         varchar(50),
  leiras        varchar(2048),
  ugyfel        integer,
  ugyfel_nev    varchar(75),
  termek        integer,
  termek_nev    varchar(75),
  projekt       integer,
  projekt_nev   varchar(75),
  fontos        integer,
  fileban       varchar(255),
  dat_kesz      date,
  kesz          varchar(1),
  rovids        varchar(20),
  ugyfel_nevs   varchar(20),
  termek_nevs   varchar(20),
  projekt_nevs  varchar(20)
);
CREATE INDEX ix_dolog1_dolog1 ON dolog1(dolog1);
-- The calendar views show one day (filter on the day key) ordered by hour.
CREATE INDEX ix_dolog1_datumstr ON dolog1(datumstr, ora);
-- Period reports select by date range.
CREATE INDEX ix_dolog1_datum ON dolog1(datum, ora);
CREATE INDEX ix_dolog1_ugyfel ON dolog1(ugyfel);
CREATE INDEX ix_dolog1_termek ON dolog1(termek);
CREATE INDEX ix_dolog1_projekt ON dolog1(projekt);
CREATE INDEX ix_dolog1_rovids ON dolog1(rovids);
CREATE INDEX ix_dolog1_ugyfel_nevs ON dolog1(ugyfel_nevs);
CREATE INDEX ix_dolog1_termek_nevs ON dolog1(termek_nevs);
CREATE INDEX ix_dolog1_projekt_nevs ON dolog1(projekt_nevs);

-- Work log of tasks; feladat is the task's dolog3 identifier.
CREATE TABLE munka (
  munka         integer,
  feladat       integer,
  datum         date,
  rovid         varchar(100),
  leiras        varchar(4096)
);
CREATE INDEX ix_munka_munka ON munka(munka);
CREATE INDEX ix_munka_feladat ON munka(feladat);

-- Notes.
CREATE TABLE jegyzet (
  jegyzet       integer,
  datum         date,
  kategoria     varchar(25),
  rovid         varchar(50),
  szoveg        varchar(4096)
);
CREATE INDEX ix_jegyzet_jegyzet ON jegyzet(jegyzet);
-- The notes window filters by category.
CREATE INDEX ix_jegyzet_kategoria ON jegyzet(kategoria);

-- Customers.
CREATE TABLE ugyfel (
  ugyfel          integer,
  ugyfelkod       integer,
  ugyfel_nev      varchar(75),
  kapcsolattarto  varchar(50),
  telefon         varchar(25),
  fax             varchar(25),
  mobil           varchar(25),
  emil            varchar(75),
  irsz            varchar(6),
  varos           varchar(25),
  cim             varchar(50),
  megjegyzes      varchar(255),
  vanmegj         varchar(1),
  ugyfel_nevs     varchar(20),
  kapcsolattartos varchar(20)
);
CREATE INDEX ix_ugyfel_ugyfel ON ugyfel(ugyfel);
-- Customer codes are allocated as MAX(ugyfelkod) + 1 too.
CREATE INDEX ix_ugyfel_ugyfelkod ON ugyfel(ugyfelkod);
CREATE INDEX ix_ugyfel_ugyfel_nevs ON ugyfel(ugyfel_nevs);
CREATE INDEX ix_ugyfel_kapcsolattartos ON ugyfel(kapcsolattartos);

-- Employees (contact persons) of customers.
CREATE TABLE alkalmazott (
  alkalmazott       integer,
  ugyfel            integer,
  alkalmazott_nev   varchar(50),
  emil              varchar(75),
  telefon           varchar(50),
  alkalmazott_nevs  varchar(20)
);
CREATE INDEX ix_alkalmazott_alkalmazott ON alkalmazott(alkalmazott);
-- The employees dialog shows one customer's people ordered by name.
CREATE INDEX ix_alkalmazott_ugyfel ON alkalmazott(ugyfel, alkalmazott_nevs);

-- Products.
CREATE TABLE termek (
  termek        integer,
  cikkszam      varchar(15),
  termek_nev    varchar(50),
  megjegyzes    varchar(255),
  vanmegj       varchar(1),
  kategoria     varchar(20),
  termek_nevs   varchar(20),
  kategorias    varchar(20)
);
CREATE INDEX ix_termek_termek ON termek(termek);
CREATE INDEX ix_termek_cikkszam ON termek(cikkszam);
CREATE INDEX ix_termek_termek_nevs ON termek(termek_nevs);
CREATE INDEX ix_termek_kategorias ON termek(kategorias);

-- Projects.
CREATE TABLE projekt (
  projekt       integer,
  projekt_kod   varchar(15),
  projekt_nev   varchar(50),
  dat_indul     date,
  dat_lezar     date,
  lezarva       varchar(1),
  megjegyzes    varchar(255),
  vanmegj       varchar(1),
  projekt_nevs  varchar(20)
);
CREATE INDEX ix_projekt_projekt ON projekt(projekt);
CREATE INDEX ix_projekt_projekt_kod ON projekt(projekt_kod);
CREATE INDEX ix_projekt_projekt_nevs ON projekt(projekt_nevs);

-- Comments on a customer, product or project: exactly one of the three
-- links is set; azonstr keeps the owner's name as it was.
CREATE TABLE megjegyzes (
  megjegyzes    integer,
  datum         date,
  rovid         varchar(100),
  ugyfel        integer,
  termek        integer,
  projekt       integer,
  azonstr       varchar(75),
  szoveg        varchar(4096)
);
CREATE INDEX ix_megjegyzes_megjegyzes ON megjegyzes(megjegyzes);
CREATE INDEX ix_megjegyzes_ugyfel ON megjegyzes(ugyfel);
CREATE INDEX ix_megjegyzes_termek ON megjegyzes(termek);
CREATE INDEX ix_megjegyzes_projekt ON megjegyzes(projekt);

-- Attached documents, linked like comments.
CREATE TABLE doksi (
  doksi         integer,
  datum         date,
  rovid         varchar(100),
  ugyfel        integer,
  termek        integer,
  projekt       integer,
  azonstr       varchar(75),
  fileban       varchar(100)
);
CREATE INDEX ix_doksi_doksi ON doksi(doksi);
CREATE INDEX ix_doksi_ugyfel ON doksi(ugyfel);
CREATE INDEX ix_doksi_termek ON doksi(termek);
CREATE INDEX ix_doksi_projekt ON doksi(projekt);

-- Users. Passwords are plain text, compared exactly at login.
CREATE TABLE felhasznalo (
  felhasznalo     varchar(15),
  felhasznalo_nev varchar(20),
  jelszo          varchar(15),
  rendszergazda   varchar(1),
  torzsszerkeszt  varchar(1)
);
CREATE INDEX ix_felhasznalo_felhasznalo ON felhasznalo(felhasznalo);

-- Settings: one row; without it the program starts without login.
CREATE TABLE beallit (
  beallit       integer,
  vanbelep      varchar(1),
  sendername    varchar(50),
  senderemil    varchar(75)
);

-- The owner of the installation, shown in captions and page headers: one row.
CREATE TABLE tulajdonos (
  tulajdonos    varchar(75),
  telefon       varchar(25),
  mobil         varchar(25),
  irsz          varchar(6),
  varos         varchar(25),
  cim           varchar(50)
);
