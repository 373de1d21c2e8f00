-- a small session
create table fruit(id integer primary key, name varchar(12), price numeric(6,2), picked date, ripe boolean);
insert into fruit values(1, 'apple', 1.25, '2024-05-17', 'Y');
insert into fruit values(2, 'pear', null, null, 'N');
insert
into fruit values(3, 'plum', 0.5, '2023-12-31', null);
select * from fruit order by id;
update fruit set price = price * 2 where price is not null;
delete from fruit where id = 3;
select name, price from fruit where price > 100;
VARIABLE total NUMBER;
--:who:='it''s me'
PRINT
select * from nowhere;
/* a block comment; skipped */
select count(*) as n from fruit;
