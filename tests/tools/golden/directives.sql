-- directives that stop before touching any file
create table t(id integer);
--$DBFL no/such/dir/clients.dbf -Table=clients -RowNum=5
select count(*) as n from t;
