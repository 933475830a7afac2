-- The new database: the structure the working database is to be brought to.
CREATE TABLE Customers (
  ID COUNTER CONSTRAINT PrimaryKey PRIMARY KEY,
  Name TEXT(80) NOT NULL,
  Phone TEXT(20),
  Town TEXT(30),
  Notes MEMO,
  Email TEXT(100)
);
CREATE UNIQUE INDEX ux_email ON Customers (Email);

CREATE TABLE Orders (
  OrderID LONG NOT NULL,
  CustomerID LONG NOT NULL,
  OrderDate DATETIME DEFAULT Now(),
  Amount DOUBLE DEFAULT 0,
  Status TEXT(10) DEFAULT "open",
  CONSTRAINT pk_orders PRIMARY KEY (OrderID)
);

CREATE TABLE Поставщики (
  Код COUNTER CONSTRAINT pk_postavshiki PRIMARY KEY,
  Имя TEXT(60) NOT NULL,
  Телефон TEXT(20)
);

CREATE TABLE Товары (
  Код LONG NOT NULL CONSTRAINT pk_tovary PRIMARY KEY,
  Название TEXT(100) NOT NULL,
  Цена CURRENCY,
  Артикул TEXT(20),
  Поставщик LONG,
  Остаток LONG DEFAULT 0
);
CREATE UNIQUE INDEX ux_article ON Товары (Артикул);

CREATE TABLE OrderLines (
  LineID LONG CONSTRAINT ux_lineid UNIQUE,
  OrderID LONG NOT NULL,
  LineNo SHORT NOT NULL,
  ProductID LONG,
  Qty LONG DEFAULT 1,
  UnitPrice CURRENCY,
  CONSTRAINT PrimaryKey PRIMARY KEY (OrderID, LineNo)
);
CREATE UNIQUE INDEX ux_line ON OrderLines (OrderID, LineNo);

ALTER TABLE Orders ADD CONSTRAINT fk_orders_customers FOREIGN KEY (CustomerID) REFERENCES Customers (ID) ON UPDATE CASCADE ON DELETE CASCADE;
ALTER TABLE OrderLines ADD CONSTRAINT fk_lines_orders FOREIGN KEY (OrderID) REFERENCES Orders (OrderID) ON DELETE CASCADE;
ALTER TABLE Товары ADD CONSTRAINT fk_tovary_postavshiki FOREIGN KEY (Поставщик) REFERENCES Поставщики (Код) ON DELETE SET NULL;

INSERT INTO Customers (Name, Phone, Town, Email) VALUES ('Петров П. П.', '+7 812 000-00-03', 'Санкт-Петербург', 'petrov@example.org');
INSERT INTO Поставщики (Имя, Телефон) VALUES ('ООО «Чайный дом»', '+7 495 000-00-09');
INSERT INTO Товары (Код, Название, Цена, Артикул, Поставщик) VALUES (1, 'Чай зелёный', 150, 'T-001', 1);
INSERT INTO Orders (OrderID, CustomerID, OrderDate, Amount) VALUES (500, 1, #2024-03-15 10:30:00#, 150);
INSERT INTO OrderLines (OrderID, LineNo, ProductID, Qty, UnitPrice) VALUES (500, 1, 1, 1, 150);
