merge t as x using (values (1, 'a'), (2, 'b')) as s (a, b) on x.a = s.a
when matched and s.b <> x.b then update set b = s.b
when not matched then insert (a, b) values (s.a, s.b)
when not matched by source then delete;
update t set b = 'x' output deleted.b, inserted.* where a = 1
delete from #tmp output deleted.* where FID > 2
