-- Embedded database of MA_POSICIONES: every table and view the program reads or writes.
--
-- Columns are declared with SQL Server types because the client derives the column type and size
-- that the program sees from the declared type (varchar(50) is a 50-character text, bit a flag,
-- money a currency, decimal a number with decimals, datetime a date). Every text column is
-- COLLATE NOCASE: the program's SQLite client replaces NOCASE with SQL Server's default collation
-- (case-insensitive, trailing blanks ignored), which the program's statements rely on; any other
-- SQLite tool keeps the built-in NOCASE and still reads the file.
--
-- Code tables are base tables; the program reads them through the views V_..., and users who are
-- not administrators through the confidential SS_... views. In the demo the SS_ views show the
-- same rows as the tables they stand for.
--
-- Runs unchanged in the sqlite3 shell and through sqlite3_exec. The demo rows are inserted by the
-- builder (scripts/demo/BaseDemo.cpp, from demo.sql).

-- Storage positions -------------------------------------------------------------------------------

CREATE TABLE MA_POSICIONES (
    IdPosicion   varchar(25) COLLATE NOCASE NOT NULL,
    Descripcion  varchar(50) COLLATE NOCASE,
    Capacidad    decimal(18,2),
    IdUnidad     varchar(4)  COLLATE NOCASE,
    IdRubro      varchar(4)  COLLATE NOCASE,
    IdTipo       varchar(4)  COLLATE NOCASE,
    IdArticulo   varchar(25) COLLATE NOCASE,
    IdFamilia    varchar(15) COLLATE NOCASE,
    OrdenIngreso int,
    -- Flags may be NULL (older rows of the suite's databases carry them so), except Picking, which
    -- the suite adds to older databases as "bit Not Null DEFAULT (0)".
    Habilitado   bit DEFAULT 1,
    Reservado    bit DEFAULT 0,
    Completa     bit DEFAULT 0,
    Picking      bit NOT NULL DEFAULT 0,
    Titulo       bit DEFAULT 0,
    IdDeposito   varchar(4)  COLLATE NOCASE NOT NULL,
    PRIMARY KEY (IdDeposito, IdPosicion)
);
-- The layout looks codes up trimmed (RTRIM(LTRIM(IdPosicion)) = '...', and the codes under one as
-- SUBSTRING(LTRIM(RTRIM(IdPosicion)),1,n) = '...'). The client translates both into trim(IdPosicion)
-- with the text collation, which this index holds, so a lookup reads the rows it finds rather than
-- the warehouse.
CREATE INDEX IX_MA_POSICIONES_RECORTADA ON MA_POSICIONES (IdDeposito, trim(IdPosicion) COLLATE NOCASE);

-- Configuration, users and access -----------------------------------------------------------------

CREATE TABLE TA_CONFIGURACION (
    Grupo           varchar(50)  COLLATE NOCASE,
    Clave           varchar(100) COLLATE NOCASE NOT NULL UNIQUE,
    Valor           varchar(255) COLLATE NOCASE,
    ValorAux        varchar(255) COLLATE NOCASE,
    -- Written as the text of a flag ("0"/"1", "False"/"True"), so kept as text.
    PoliticaNegocio varchar(10)  COLLATE NOCASE
);

CREATE TABLE TA_USUARIOS (
    NOMBRE        varchar(50)  COLLATE NOCASE NOT NULL,
    SISTEMA       varchar(10)  COLLATE NOCASE NOT NULL,
    Password      varchar(100) COLLATE NOCASE,
    -- Read as text and converted to a number: "1" marks an administrator.
    Administrador varchar(5)   COLLATE NOCASE,
    UNegocio      varchar(4)   COLLATE NOCASE,
    verproforma   bit DEFAULT 0,
    clasepusa     varchar(50)  COLLATE NOCASE,
    PRIMARY KEY (NOMBRE, SISTEMA)
);

CREATE TABLE TA_MENU (
    Clave   varchar(10)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Proceso varchar(100) COLLATE NOCASE,
    Nombre  varchar(100) COLLATE NOCASE
);

CREATE TABLE TA_TAREAS (
    USUARIO varchar(50) COLLATE NOCASE NOT NULL,
    TAREA   varchar(10) COLLATE NOCASE NOT NULL,
    PRIMARY KEY (USUARIO, TAREA)
);

-- Entry and exit times are stored as the text "dd/mm/yy hh:mm".
CREATE TABLE Control_Acceso (
    id            INTEGER PRIMARY KEY AUTOINCREMENT,
    Maquina       varchar(50)  COLLATE NOCASE,
    Usuario       varchar(50)  COLLATE NOCASE,
    Formulario    varchar(50)  COLLATE NOCASE,
    Tarea         varchar(100) COLLATE NOCASE,
    Ingreso       varchar(20)  COLLATE NOCASE,
    NombreUsuario varchar(50)  COLLATE NOCASE,
    EGRESO        varchar(20)  COLLATE NOCASE
);

-- Audit -------------------------------------------------------------------------------------------

-- A view in the suite's server databases; here a table, since the program inserts into it.
CREATE TABLE V_MV_CPTEACCIONES (
    TC            varchar(4)   COLLATE NOCASE,
    IdComprobante varchar(20)  COLLATE NOCASE,
    IdComplemento int,
    Tipo_accion   varchar(2)   COLLATE NOCASE,
    FECHAHORA     datetime,
    Usuario       varchar(50)  COLLATE NOCASE,
    PC            varchar(50)  COLLATE NOCASE,
    SYSTEMUSER    varchar(255) COLLATE NOCASE,
    Proceso       varchar(255) COLLATE NOCASE,
    ProcesoLote   varchar(25)  COLLATE NOCASE,
    Cuenta        varchar(15)  COLLATE NOCASE
);

-- One row per failed database script; fecha is the text "dd/mm/yy hh:mm".
CREATE TABLE AUX_ERR (
    Proceso     varchar(255) COLLATE NOCASE,
    fecha       varchar(20)  COLLATE NOCASE,
    Error       int,
    Descripcion varchar(250) COLLATE NOCASE,
    Sql         text         COLLATE NOCASE,
    PC          varchar(50)  COLLATE NOCASE,
    Usuario     varchar(50)  COLLATE NOCASE
);

-- Articles reported missing from the lookup list; a table for the same reason as above.
CREATE TABLE V_MV_FALTANTES (
    FechaHora   datetime,
    IdArticulo  varchar(25)  COLLATE NOCASE,
    Descripcion varchar(100) COLLATE NOCASE,
    Usuario     varchar(50)  COLLATE NOCASE
);

-- Code tables ------------------------------------------------------------------------------------

CREATE TABLE TA_UNIDADNEGOCIO (
    Codigo       varchar(4)   COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion  varchar(50)  COLLATE NOCASE,
    razon_social varchar(100) COLLATE NOCASE,
    Cuit         varchar(20)  COLLATE NOCASE,
    PDV          varchar(5)   COLLATE NOCASE
);

CREATE TABLE TA_DEPOSITO (
    IdDeposito  varchar(4)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion varchar(50) COLLATE NOCASE,
    Unidad      varchar(4)  COLLATE NOCASE
);

CREATE TABLE TA_UNIDAD (
    IdUnidad    varchar(4)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion varchar(50) COLLATE NOCASE
);

CREATE TABLE TA_RUBROS (
    IdRubro     varchar(4)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion varchar(50) COLLATE NOCASE
);

-- Article types; the layout window labels them "Marca".
CREATE TABLE TA_TIPOARTICULO (
    IdTipo      varchar(4)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion varchar(50) COLLATE NOCASE
);

-- Families are hierarchical: a family's code begins with the code of the family that holds it.
CREATE TABLE TA_FAMILIAS (
    IdFamilia   varchar(15) COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion varchar(50) COLLATE NOCASE
);

CREATE TABLE MA_ARTICULOS (
    IdArticulo  varchar(25)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion varchar(100) COLLATE NOCASE,
    IdRubro     varchar(4)   COLLATE NOCASE,
    IdTipo      varchar(4)   COLLATE NOCASE,
    IdFamilia   varchar(15)  COLLATE NOCASE,
    IdUnidad    varchar(4)   COLLATE NOCASE,
    PUNTOPEDIDO decimal(18,2),
    Stock       decimal(18,2),
    SUSPENDIDO  bit NOT NULL DEFAULT 0,
    PRECIO1     money,
    PRECIO2     money,
    PRECIO3     money
);

CREATE TABLE TA_STATUS (
    CodigoEstado varchar(4)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion  varchar(50) COLLATE NOCASE,
    Tipo         varchar(10) COLLATE NOCASE
);

CREATE TABLE TA_CAJAS (
    IDCajas     varchar(4)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(50) COLLATE NOCASE
);

CREATE TABLE TA_VENDEDORES (
    IdVendedor varchar(4)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    NOMBRE     varchar(50) COLLATE NOCASE
);

CREATE TABLE TA_TECNICOS (
    IdTecnico varchar(4)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    NOMBRE    varchar(50) COLLATE NOCASE
);

-- Work-order tasks (TA_TAREAS is taken by the users' menu tasks).
CREATE TABLE TA_TAREAS_OT (
    IdTarea     varchar(4)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Descripcion varchar(50) COLLATE NOCASE
);

CREATE TABLE MA_MANTENIMIENTOS (
    CODIGO      varchar(10) COLLATE NOCASE NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(50) COLLATE NOCASE
);

-- Customers, suppliers, contacts ------------------------------------------------------------------

CREATE TABLE MA_CLIENTES (
    CODIGO       varchar(10)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    RAZON_SOCIAL varchar(100) COLLATE NOCASE,
    CONTACTO     varchar(50)  COLLATE NOCASE,
    Dada_De_Baja bit NOT NULL DEFAULT 0
);

CREATE TABLE MA_PROVEEDORES (
    CODIGO       varchar(10)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    RAZON_SOCIAL varchar(100) COLLATE NOCASE,
    CONTACTO     varchar(50)  COLLATE NOCASE,
    Dada_De_Baja bit NOT NULL DEFAULT 0
);

CREATE TABLE MA_CONTACTOS (
    Codigo            varchar(10)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    Razon_Social      varchar(100) COLLATE NOCASE,
    Nombre_y_Apellido varchar(100) COLLATE NOCASE,
    Domicilio         varchar(100) COLLATE NOCASE,
    Localidad         varchar(50)  COLLATE NOCASE,
    Telefono          varchar(30)  COLLATE NOCASE
);

-- Accounting (confidential tables) ----------------------------------------------------------------

-- Chart of accounts and cost centres, hierarchical codes like the families.
CREATE TABLE MA_CUENTAS (
    CODIGO      varchar(15)  COLLATE NOCASE NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(100) COLLATE NOCASE
);

CREATE TABLE TA_CCOSTO (
    CODIGO      varchar(15) COLLATE NOCASE NOT NULL PRIMARY KEY,
    DESCRIPCION varchar(50) COLLATE NOCASE
);

CREATE TABLE MV_ASIENTOS (
    IdAsiento int NOT NULL,
    Renglon   int NOT NULL,
    Fecha     datetime,
    Cuenta    varchar(15)  COLLATE NOCASE,
    Debe      money,
    Haber     money,
    Detalle   varchar(100) COLLATE NOCASE,
    PRIMARY KEY (IdAsiento, Renglon)
);

CREATE TABLE AC_CUENTASDIARIO (
    Fecha  datetime,
    Cuenta varchar(15) COLLATE NOCASE,
    Debe   money,
    Haber  money
);

CREATE TABLE AC_CUENTASDIARIO_CCOSTO (
    Fecha  datetime,
    Cuenta varchar(15) COLLATE NOCASE,
    CCosto varchar(15) COLLATE NOCASE,
    Debe   money,
    Haber  money
);

-- Views the program reads --------------------------------------------------------------------------
-- Plain column lists, never expressions, so that each view column keeps the declared type (and
-- with it the column type and size) of its table column.

CREATE VIEW V_TA_UnidadNegocio AS SELECT Codigo, Descripcion, razon_social, Cuit, PDV FROM TA_UNIDADNEGOCIO;
CREATE VIEW V_TA_DEPOSITO AS SELECT IdDeposito, Descripcion, Unidad FROM TA_DEPOSITO;
CREATE VIEW V_TA_Unidad AS SELECT IdUnidad, Descripcion FROM TA_UNIDAD;
CREATE VIEW V_TA_Rubros AS SELECT IdRubro, Descripcion FROM TA_RUBROS;
CREATE VIEW V_TA_TipoArticulo AS SELECT IdTipo, Descripcion FROM TA_TIPOARTICULO;
CREATE VIEW V_TA_Familias AS SELECT IdFamilia, Descripcion FROM TA_FAMILIAS;
CREATE VIEW V_TA_STATUS AS SELECT CodigoEstado, Descripcion, Tipo FROM TA_STATUS;
CREATE VIEW V_TA_CAJAS AS SELECT IDCajas, DESCRIPCION FROM TA_CAJAS;
CREATE VIEW V_TA_VENDEDORES AS SELECT IdVendedor, NOMBRE FROM TA_VENDEDORES;
CREATE VIEW V_TA_TECNICOS AS SELECT IdTecnico, NOMBRE FROM TA_TECNICOS;
CREATE VIEW V_TA_Tareas AS SELECT IdTarea, Descripcion FROM TA_TAREAS_OT;
CREATE VIEW V_MA_MANTENIMIENTOS AS SELECT CODIGO, DESCRIPCION FROM MA_MANTENIMIENTOS;

-- Articles: V_MA_ARTICULOS for code checks and descriptions, VT_MA_ARTICULOS for the lookup list
-- (which filters SUSPENDIDO itself), STK_MA_ARTICULOS for lists that show stock.
CREATE VIEW V_MA_ARTICULOS AS
    SELECT IdArticulo, Descripcion, IdRubro, IdTipo, IdFamilia, IdUnidad, PUNTOPEDIDO, Stock, SUSPENDIDO,
           PRECIO1, PRECIO2, PRECIO3
    FROM MA_ARTICULOS;
CREATE VIEW VT_MA_ARTICULOS AS
    SELECT IdArticulo, Descripcion, IdRubro, IdTipo, IdFamilia, IdUnidad, PUNTOPEDIDO, Stock, SUSPENDIDO,
           PRECIO1, PRECIO2, PRECIO3
    FROM MA_ARTICULOS;
CREATE VIEW STK_MA_ARTICULOS AS
    SELECT IdArticulo, Descripcion, IdRubro, IdTipo, IdFamilia, IdUnidad, PUNTOPEDIDO, Stock, SUSPENDIDO,
           PRECIO1, PRECIO2, PRECIO3
    FROM MA_ARTICULOS;

CREATE VIEW VT_CLIENTES AS SELECT CODIGO, RAZON_SOCIAL, CONTACTO, Dada_De_Baja FROM MA_CLIENTES;
CREATE VIEW VT_PROVEEDORES AS SELECT CODIGO, RAZON_SOCIAL, CONTACTO, Dada_De_Baja FROM MA_PROVEEDORES;

-- Confidential copies, named by the statements rewritten for users who are not administrators.
-- The last one is spelled CUENTAS_DIARIO, unlike its table.
CREATE VIEW SS_MA_CUENTAS AS SELECT CODIGO, DESCRIPCION FROM MA_CUENTAS;
CREATE VIEW SS_V_TA_DEPOSITO AS SELECT IdDeposito, Descripcion, Unidad FROM TA_DEPOSITO;
CREATE VIEW SS_MV_ASIENTOS AS SELECT IdAsiento, Renglon, Fecha, Cuenta, Debe, Haber, Detalle FROM MV_ASIENTOS;
CREATE VIEW SS_V_TA_FAMILIAS AS SELECT IdFamilia, Descripcion FROM TA_FAMILIAS;
CREATE VIEW SS_V_TA_CAJAS AS SELECT IDCajas, DESCRIPCION FROM TA_CAJAS;
CREATE VIEW SS_AC_CUENTASDIARIO AS SELECT Fecha, Cuenta, Debe, Haber FROM AC_CUENTASDIARIO;
CREATE VIEW SS_AC_CUENTAS_DIARIO_CCOSTO AS SELECT Fecha, Cuenta, CCosto, Debe, Haber FROM AC_CUENTASDIARIO_CCOSTO;
