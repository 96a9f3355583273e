dmy
SURVDATE	CLUSTER	TEAM	ID	HH	SEX	BIRTHDAT	MONTHS	WEIGHT	HEIGHT	EDEMA	MUAC	WAZ	HAZ	WHZ	MEASURE	CLOTHES	STRATA	WTFACTOR	AGEGRP	
12.03.2006	1	1	1	1	m	01.05.2003	34.4	13.2	93.1	n	142	-1.234	-0.876	-1.012	h	n			3	
12.03.2006	1	1	2	1	f		18	9.6	76.5	y	121				l	y			2	
¥Planning:
Test survey	
Cluster	

10	
1.5	
2	5	3	30	
5	
2	
3	
4	1000		
30	
Village A	1200	1	
Village B	800	2	
¥Training_new:
12.1		95.2																																																																																																																												
																																																																																																																														
¥Training_categorical:
1	0																				
¥Mortality_new:
1	1	5	1	0	0	0	1	0	0	0	
¥Mor_individual:
	Cluster	Team	HH	Sex1	Age1
01.02.2006	1	1	1	m	34
	
	
¥Mor_individual_options:
cause 0	
cause 1	
cause 2	
cause 3	
cause 4	
cause 5	
cause 6	
place 0	
place 1	
place 2	
place 3	
¥Results:
90	
¥Options
yes	
no	
yes	
yes	
no	
months	
y/n	
-3	-3	-3	
3	3	3	
6	0	
59	5	
0	12	
18	18	
30	50	
42	65	
54	120	
¥Variables
SURVDATE	date										
CLUSTER	numeric			1	999						
