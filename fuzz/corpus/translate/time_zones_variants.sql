declare @z varchar(40) = 'UTC'
select cast('2024-01-05' as datetime) at time zone 'China Standard Time' at time zone @z,
  sql_variant_property(cast(cast(1.5 as decimal(8,2)) as sql_variant), 'BaseType'),
  sql_variant_property(N'abc', 'TotalBytes'), cast(cast(12.5 as sql_variant) as int)
