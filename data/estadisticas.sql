-- Statistics database TV_ESTADISTICAS, beside the embedded databases in the program folder and
-- shared by all of them. The program keeps the command time-out ("TimeOut", group "BaseDeDatos")
-- in its configuration table.
--
-- Idempotent: a folder may already hold this file with settings of its own, which are kept.

CREATE TABLE IF NOT EXISTS TA_CONFIGURACION (
    Grupo           varchar(50)  COLLATE NOCASE,
    Clave           varchar(100) COLLATE NOCASE NOT NULL UNIQUE,
    Valor           varchar(255) COLLATE NOCASE,
    ValorAux        varchar(255) COLLATE NOCASE,
    PoliticaNegocio varchar(10)  COLLATE NOCASE
);

INSERT OR IGNORE INTO TA_CONFIGURACION (Grupo, Clave, Valor, ValorAux, PoliticaNegocio)
    VALUES ('BaseDeDatos', 'TIMEOUT', '90', '', '0');
