-- The picture library of a first start. "order" is an SQL keyword and is always quoted.
CREATE TABLE Categories (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL,
  enabled INTEGER,
  "order" INTEGER
);
CREATE TABLE Pictures (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  path TEXT NOT NULL,
  enabled INTEGER,
  "order" INTEGER,
  category_id INTEGER
);
-- Serves the picture cursor's order (category_id, "order", id) and its group filter.
CREATE INDEX PicturesByCategory ON Pictures(category_id, "order");
