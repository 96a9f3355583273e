¥Household Data
A	B	C
¥Seasonal Data
S
¥Model
M	1


