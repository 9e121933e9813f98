create or alter view v (a, total) with schemabinding as select a, sum(c) from t group by a
