ymd
SEX	WEIGHT	A	A		WEIGHT	B
m	1	2	3	4	5	6
¥Training_categorical:
1	2
¥Mor_individual_options:
x
