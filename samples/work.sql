-- The working database: the structure in use before the upgrade.
CREATE TABLE Customers (
  ID COUNTER CONSTRAINT PrimaryKey PRIMARY KEY,
  Name TEXT(50) NOT NULL,
  Phone TEXT(20),
  City TEXT(30),
  Notes MEMO
);
CREATE UNIQUE INDEX ux_phone ON Customers (Phone);

CREATE TABLE Orders (
  OrderID LONG NOT NULL,
  CustomerID LONG,
  OrderDate DATETIME,
  Amount CURRENCY DEFAULT 0,
  Status TEXT(10) DEFAULT "new",
  CONSTRAINT pk_orders PRIMARY KEY (OrderID)
);

CREATE TABLE Товары (
  Код LONG NOT NULL CONSTRAINT pk_tovary PRIMARY KEY,
  Название TEXT(100),
  Цена CURRENCY,
  Артикул TEXT(20)
);
CREATE UNIQUE INDEX ux_article ON Товары (Артикул);

CREATE TABLE OrderLines (
  OrderID LONG NOT NULL,
  LineNo SHORT NOT NULL,
  ProductID LONG,
  Qty SHORT DEFAULT 1,
  Price DOUBLE,
  CONSTRAINT pk_lines PRIMARY KEY (OrderID, LineNo)
);

CREATE TABLE OldLog (
  ID COUNTER CONSTRAINT pk_oldlog PRIMARY KEY,
  CustomerID LONG,
  Message TEXT(255)
);

ALTER TABLE Orders ADD CONSTRAINT fk_orders_customers FOREIGN KEY (CustomerID) REFERENCES Customers (ID) ON UPDATE CASCADE;
ALTER TABLE OrderLines ADD CONSTRAINT fk_lines_orders FOREIGN KEY (OrderID) REFERENCES Orders (OrderID) ON DELETE CASCADE;
ALTER TABLE OrderLines ADD CONSTRAINT fk_lines_tovary FOREIGN KEY (ProductID) REFERENCES Товары (Код);
ALTER TABLE OldLog ADD CONSTRAINT fk_oldlog_customers FOREIGN KEY (CustomerID) REFERENCES Customers (ID);

INSERT INTO Customers (Name, Phone, City) VALUES ('Иванов И. И.', '+7 495 000-00-01', 'Москва');
INSERT INTO Customers (Name, Phone, City) VALUES ('Smith & Sons', '+44 20 0000 0002', 'London');
INSERT INTO Товары (Код, Название, Цена, Артикул) VALUES (1, 'Чай', 120, 'T-001');
INSERT INTO Товары (Код, Название, Цена, Артикул) VALUES (2, 'Coffee', 340.5, 'C-002');
INSERT INTO Orders (OrderID, CustomerID, OrderDate, Amount, Status) VALUES (100, 1, #2023-11-02 09:15:00#, 240, 'paid');
INSERT INTO Orders (OrderID, CustomerID, Amount) VALUES (101, 2, 340.5);
INSERT INTO OrderLines (OrderID, LineNo, ProductID, Qty, Price) VALUES (100, 1, 1, 2, 120);
INSERT INTO OrderLines (OrderID, LineNo, ProductID, Qty, Price) VALUES (101, 1, 2, 1, 340.5);
INSERT INTO OldLog (CustomerID, Message) VALUES (1, 'first order');
