with c (a, b) as (select x, y + 1 from t where x > 0) update c set a = a + 1 where b < 3 option (maxrecursion 5);
with d as (select * from t) delete from d where x in (select x from d);
with n as (select 1 as i union all select i + 1 from n where i < 3) insert into t (x) select i from n;
merge top (2) t as g using (values (1, 2)) as s (x, y) on g.x = s.x when matched then update set y = s.y when not matched then insert (x, y) values (s.x, s.y) output $action, inserted.*, deleted.x into log;
