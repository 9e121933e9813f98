declare @n varchar(20) = 'T1'
begin tran @n
save transaction s1
begin try commit work end try begin catch if xact_state() <> 0 rollback tran s1 end catch
rollback transaction
begin transaction t2 with mark 'x'
commit tran t2
