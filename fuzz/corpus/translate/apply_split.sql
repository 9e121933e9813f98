select t.a, s.value, j.[key], j.type, x.n
from t cross apply string_split(t.b, ',', 1) s
outer apply openjson(t.b, 'lax $.a') j
outer apply (select top 1 count(*) as n from u where u.a = t.b) x
where s.ordinal > 1
