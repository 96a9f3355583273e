mdy
SEX	SURVDATE
m	12/31/2005
f	unknown
