Sex
¥Variables
	numeric
AGE	numeric
