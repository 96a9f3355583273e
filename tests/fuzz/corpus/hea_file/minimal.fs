¥Household Data
	x	
¥Seasonal Data
¥Model


