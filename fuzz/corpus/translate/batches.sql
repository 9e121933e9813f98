declare @i int = 0, @t table (id int identity primary key, v nvarchar(20))
while @i < 3 begin set @i += 1 if @i = 2 continue insert into @t (v) values (N'x') end
begin try raiserror(N'%s %d', 16, 1, N'a', 2) end try
begin catch select error_number(), error_message(), xact_state() print error_line() end catch
exec sp_executesql N'select @a', N'@a int', @a = 1
set datefirst 1 select @@datefirst, datepart(weekday, getdate())
set xact_abort on
begin try throw 50001, 'x', 1; end try begin catch throw end catch
return
