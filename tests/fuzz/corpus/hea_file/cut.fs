¥Household Data
Baseline	Item	Kcal per kg / price per unit	Group 1	Group 2	Group 3	Group 4																																																																																													
	Wealth group		Very poor	Poor	Middle	Better off																																																																																													
Household																																																																																																			
	Household members		7	6	6	8																																																																																													
	Kcal per person per day		2100	2100	2100	2100																																																																																													
	Share of households in the zone (%)		25	35	28	12																																																																																													
Food Income			kg	kg	kg	kg																																																																																													
	Sorghum # (own harvest)	3400	250	450	900	1500																																																																																													
	Maize # (own harvest)	3500	100	200	350	500																																																																																													
	Cowpeas	3400	30	60	120	200																																																																																													
	Milk, own herd	650	60	200	600	1200																																																																																													
	Meat, own herd	1500	0	10	30	60																																																																																													
	Wild foods	1000	80	50	20	0																																																																																													
	Cereal food aid	3500	120	60	0	0																																																																																													
	Grain paid for labour	3400	150	80	0	0																																																																																													
Food Stocks			kg	kg	kg	kg																																																																																													
	Cereal stock at start of year	3400	20	60	150	300																																																																																													
Cash Income			units	units	units	units																																																																																													
	Farm labour (days)	150	90	80	0	0																																																																																													
	Firewood and charcoal (bundles)	40	100	80	20	0																																																																																													
	Goats sold (head)	1500	1	4	6	10																																																																																													
	Cattle sold (head)	9000	0	0	1	3																																																																																													
	Sorghum sold (kg)	6	0	0	200	600																																													