select VendorID, Employee, Orders from (select VendorID, Emp1, Emp2 from pvt) p unpivot (Orders for Employee in (Emp1, [Emp2])) as u
declare @t table (a int, b varchar(10))
update t set b = 'x' output inserted.a, deleted.b into @t (a, b) output inserted.a where a > 1
delete t output deleted.* into #log
