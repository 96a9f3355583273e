Sex
¥Variables
	